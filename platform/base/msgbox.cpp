#include "platform/base/msgbox.h"

#include "platform/base/locale_text.h"

#include <cstdio>

namespace tnv {

namespace {
HeadlessMessageBox headless;
MessageBoxService* current = &headless;
} // namespace

int MessageBox(const std::string& text, const std::string& title, UINT flags) {
    return current->show(text, title, flags);
}

MessageBoxService* SetMessageBoxService(MessageBoxService* service) {
    MessageBoxService* previous = current;
    current = service ? service : &headless;
    return previous;
}

int DefaultButton(UINT flags) {
    bool second = (flags & MB_DEFMASK) == MB_DEFBUTTON2;
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return second ? IDCANCEL : IDOK;
    case MB_YESNO:
    case MB_YESNOCANCEL:
        return second ? IDNO : IDYES;
    default:
        return IDOK;
    }
}

int HeadlessMessageBox::show(const std::string& text, const std::string& title, UINT flags) {
    // Read by a person on a terminal, in the terminal's encoding.
    std::string line = localetext::FromMessage(title) + ": " + localetext::FromMessage(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    return DefaultButton(flags);
}

ScriptedMessageBox::ScriptedMessageBox() : previous_(SetMessageBoxService(this)) {}

ScriptedMessageBox::~ScriptedMessageBox() {
    SetMessageBoxService(previous_);
}

int ScriptedMessageBox::show(const std::string& text, const std::string& title, UINT flags) {
    calls_.push_back({text, title, flags});
    if (answers_.empty())
        return DefaultButton(flags);
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
}

} // namespace tnv
