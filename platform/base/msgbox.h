// The one service through which the programs ask the user something. The GUI installs a real
// dialog; tests install a scripted one; without either the headless service writes the message to
// stderr and takes the default button.
#pragma once

#include "platform/base/types.h"

#include <deque>
#include <string>
#include <vector>

namespace tnv {

class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    virtual int show(const std::string& text, const std::string& title, UINT flags) = 0;
};

// Shows a modal message box and returns IDOK, IDCANCEL, IDYES or IDNO. Texts are 8-bit.
int MessageBox(const std::string& text, const std::string& title, UINT flags);

// Installs a service (not owned); nullptr restores the headless one. Returns the previous one.
MessageBoxService* SetMessageBoxService(MessageBoxService* service);

// The button a message box with these flags answers when the user just presses Enter.
int DefaultButton(UINT flags);

// "title: text" on stderr, one line, in the locale's encoding; answers the default button.
class HeadlessMessageBox : public MessageBoxService {
public:
    int show(const std::string& text, const std::string& title, UINT flags) override;
};

// Answers from a queue (the default button when it runs dry) and records every call.
class ScriptedMessageBox : public MessageBoxService {
public:
    struct Call {
        std::string text;
        std::string title;
        UINT flags;
    };
    ScriptedMessageBox();
    ~ScriptedMessageBox() override;
    void setNextAnswer(int answer) { answers_.push_back(answer); }
    const std::vector<Call>& calls() const { return calls_; }
    void clear() { calls_.clear(); }
    int show(const std::string& text, const std::string& title, UINT flags) override;

private:
    std::deque<int> answers_;
    std::vector<Call> calls_;
    MessageBoxService* previous_;
};

} // namespace tnv
