// The message-box service on real QMessageBox dialogs, for the programs' windows.
#pragma once

#include "platform/base/msgbox.h"

namespace tnv {

class QtMessageBox : public MessageBoxService {
public:
    // Installs itself; the destructor restores the previous service.
    QtMessageBox();
    ~QtMessageBox() override;
    QtMessageBox(const QtMessageBox&) = delete;
    QtMessageBox& operator=(const QtMessageBox&) = delete;
    int show(const std::string& text, const std::string& title, UINT flags) override;

private:
    MessageBoxService* previous_;
};

} // namespace tnv
