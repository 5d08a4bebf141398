#include "platform/base/msgbox.h"

#include <gtest/gtest.h>

using namespace tnv;

TEST(MessageBoxService, DefaultButtonsScriptedAnswersAndRestoresThePreviousService) {
    EXPECT_EQ(DefaultButton(MB_OK | MB_ICONERROR), IDOK);
    EXPECT_EQ(DefaultButton(MB_OKCANCEL | MB_ICONQUESTION), IDOK);
    EXPECT_EQ(DefaultButton(MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
    EXPECT_EQ(DefaultButton(MB_YESNO), IDYES);
    EXPECT_EQ(DefaultButton(MB_YESNO | MB_DEFBUTTON2), IDNO);
    {
        ScriptedMessageBox script;
        script.setNextAnswer(IDCANCEL);
        EXPECT_EQ(MessageBox("Sure?", "Title", MB_OKCANCEL), IDCANCEL);
        EXPECT_EQ(MessageBox("Again?", "Title", MB_YESNO), IDYES); // queue ran dry
        ASSERT_EQ(script.calls().size(), 2u);
        EXPECT_EQ(script.calls()[0].text, "Sure?");
        EXPECT_EQ(script.calls()[1].flags, MB_YESNO);
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBox("File not found", "CueLine", MB_OK | MB_ICONERROR), IDOK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "CueLine: File not found\n");
}
