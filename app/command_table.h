// A command target's own commands as one table: which it runs, and when their menu items are
// enabled and checked.
#pragma once

#include "platform/frame/frame.h"

#include <functional>
#include <initializer_list>
#include <vector>

namespace tnv {

// One command: what it does, and when its menu item is enabled and checked.
struct MenuCommand {
    UINT id = 0;
    // Empty when another target of the route runs the command: the table only rules its state.
    std::function<void()> run;
    // Empty: always enabled.
    std::function<bool()> enabled;
    // Empty: the item has no check box.
    std::function<bool()> checked;
    // With neither rule the table leaves the item's state to the targets after it (and to the
    // default: enabled when some target runs it).
};

class CommandTable {
public:
    CommandTable() = default;
    CommandTable(std::initializer_list<MenuCommand> commands) : commands_(commands) {}

    // The three questions a command target answers, for the commands of the table.
    bool Has(UINT id) const;
    bool Run(UINT id) const;
    bool Update(CCmdUI& ui) const;

private:
    const MenuCommand* find(UINT id) const;

    std::vector<MenuCommand> commands_;
};

} // namespace tnv
