// What the programs' shells share: a document, the main frame and its one view, made, wired and
// torn down the same way.
#pragma once

#include "app/command_table.h"
#include "platform/frame/frame.h"

#include <memory>
#include <utility>

namespace tnv {

template <class Frame, class Doc, class View> class SingleViewApp : public CWinApp {
public:
    ~SingleViewApp() override { TearDownWindows(); }

    int ExitInstance() override {
        TearDownWindows();
        return 0;
    }

    Frame* frame() const { return frame_.get(); }
    View* view() const { return view_.get(); }
    Doc* document() const { return document_.get(); }

    // CCmdTarget: the application's own commands, from its table.
    bool OnCmdMsg(UINT id) override { return commands_.Run(id); }
    bool HasCommand(UINT id) const override { return commands_.Has(id); }
    bool OnUpdateCmdUI(CCmdUI& ui) override { return commands_.Update(ui); }

protected:
    // The application's own commands; its constructor sets them once.
    void SetCommands(CommandTable commands) { commands_ = std::move(commands); }
    // The view the application starts with.
    virtual std::unique_ptr<View> MakeView() = 0;

    // The settings, the document, `frame` built from `resources` with the view as its client,
    // and the commands routed view, document, frame, application. False when a window could not
    // be made.
    bool CreateWindows(const FrameResources& resources, std::unique_ptr<Frame> frame) {
        SetRegistryKey("Local AppWizard-Generated Applications");
        LoadStdProfileSettings(4);
        document_ = std::make_unique<Doc>();
        frame_ = std::move(frame);
        view_ = MakeView();
        if (!frame_->LoadFrame(resources) || !frame_->CreateView(view_.get()))
            return false;
        setMainWnd(frame_.get());
        frame_->SetView(view_.get());
        frame_->SetRoute(view_.get(), document_.get(), this);
        view_->SetFrame(frame_.get());
        return true;
    }

    // The exit command: the frame closes through its exit guard, once the command is done.
    void CloseFrame() {
        if (frame_)
            frame_->PostClose();
    }

    // The windows go while the platform still runs; the view's lives inside the frame's, so the
    // view goes first. Nothing is routed to them any more.
    void TearDownWindows() {
        if (frame_)
            frame_->SetRoute(nullptr, nullptr, nullptr);
        setMainWnd(nullptr);
        view_.reset();
        frame_.reset();
    }

    std::unique_ptr<Doc> document_;
    std::unique_ptr<Frame> frame_;
    std::unique_ptr<View> view_;

private:
    CommandTable commands_;
};

} // namespace tnv
