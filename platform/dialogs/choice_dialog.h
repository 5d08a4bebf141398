// A small modal window that asks the user to pick one of a few folders: the list has the
// keyboard, the arrows move, Enter (or a double click) takes the highlighted one, Escape cancels.
// It follows the desktop's colours. No Qt in this header.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tnv {

struct ChoiceDialogDesc {
    std::string title;  // 8-bit texts
    std::string prompt; // above the list; "&" marks the letter that reaches the list
    std::string accessibleName;
    std::vector<std::string> folders; // the choices, paths as the disk has them
    int current = 0;                  // highlighted at the start
    std::string okText = "OK";
};

// The index of the folder chosen, or nothing when the user cancelled.
std::optional<int> ShowChoiceDialog(const ChoiceDialogDesc& desc);

} // namespace tnv
