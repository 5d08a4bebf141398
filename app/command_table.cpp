#include "app/command_table.h"

namespace tnv {

const MenuCommand* CommandTable::find(UINT id) const {
    for (const MenuCommand& command : commands_) {
        if (command.id == id)
            return &command;
    }
    return nullptr;
}

bool CommandTable::Has(UINT id) const {
    const MenuCommand* command = find(id);
    return command && command->run;
}

bool CommandTable::Run(UINT id) const {
    const MenuCommand* command = find(id);
    if (!command || !command->run)
        return false;
    command->run();
    return true;
}

bool CommandTable::Update(CCmdUI& ui) const {
    const MenuCommand* command = find(ui.id());
    if (!command || (!command->enabled && !command->checked))
        return false;
    ui.Enable(command->enabled ? command->enabled() : true);
    if (command->checked)
        ui.SetCheck(command->checked() ? 1 : 0);
    return true;
}

} // namespace tnv
