// The window started outside a simulator: it shows the one simulator with the add-on, asks which
// among several (keyboard alone, readable on a dark desktop), or says that there is none.
#include "platform/qt/qtbridge.h"
#include "tests/browser/outside_home.h"
#include "tests/browser/running_fleet.h"
#include "tests/support/keyboard.h"
#include "tests/support/looks.h"

#include <QListWidget>

#include <gtest/gtest.h>

TEST(FleetOutsideWindow, NoneOrOneSimulatorWithTheAddon) {
    for (int addons : {0, 1}) {
        OutsideHome home(addons);
        Running r;
        r.state.programPath = home.programPath();
        r.choice = ChooseSimulator(r.state, home.h.options());
        ASSERT_TRUE(r.start());
        EXPECT_EQ(r.frame().GetMessageText(), addons ? "1 lines displayed" : "0 lines displayed");
        ASSERT_EQ(r.boxes.calls().size(), addons ? 0u : 1u);
        EXPECT_TRUE(addons || r.boxes.calls()[0].text.starts_with(
                                  "No simulator with the Tarnavel add-on was found.\n\nTo set one "
                                  "up, run in a terminal: tarnavel-setup SIMFOLDER"));
    }
}

// Among several, the kept choice is highlighted; Down and Enter take the next one, which is kept
// for the next start; Escape ends the program without a window.
TEST(FleetOutsideWindow, SeveralAskWhichFromTheKeyboard) {
    OutsideHome home(2);
    const struct {
        bool dark;
        Qt::Key answer;
        bool started;
    } rows[] = {{false, Qt::Key_Return, true}, {true, Qt::Key_Escape, false}};
    for (const auto& row : rows) {
        looks::Scope look(row.dark);
        Running r;
        r.state.programPath = home.programPath();
        r.choice = ChooseSimulator(r.state, home.h.options());
        ASSERT_EQ(r.choice.outcome, SimulatorChoice::Several);
        int highlighted = -1;
        double contrast = 0;
        keys::whenModal([&](QWidget* modal) {
            auto* list = modal->findChild<QListWidget*>();
            ASSERT_NE(list, nullptr);
            highlighted = list->currentRow();
            QListWidgetItem* other = list->item(1 - highlighted);
            QRect cell = list->visualItemRect(other).translated(list->viewport()->pos());
            contrast = looks::textContrast(list->grab().toImage(), cell,
                                           qtbridge::fromQColor(list->palette().base().color()));
            keys::press(Qt::Key_Down);
            keys::press(row.answer);
        });
        EXPECT_EQ(r.start(), row.started);
        EXPECT_GE(contrast, contrast::kReadable) << "dark " << row.dark;
        int kept = row.dark ? 1 : 0; // the first start keeps the second simulator
        EXPECT_EQ(r.choice.simulators[std::size_t(highlighted)],
                  r.choice.simulators[std::size_t(kept)]);
        if (row.started) {
            EXPECT_EQ(r.frame().GetMessageText(), "1 lines displayed");
            EXPECT_EQ(testsupport::readFile(finder::ChoiceFile(home.h.options().env)),
                      r.choice.simulators[1] + "\n");
        }
    }
}
