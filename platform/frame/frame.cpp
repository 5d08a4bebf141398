// The frame window: its menus, accelerators and status bar, and the commands routed through it.
#include "platform/frame/frame.h"

#include "platform/base/codepage.h"
#include "platform/qt/qtbridge.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>

#include "platform/frame/frame_keys.h"

namespace tnv {

namespace {

// Qt reads "[*]" in a window title as the modified mark; a folder may hold those characters.
QString titleForQt(const std::string& bytes) {
    return qtbridge::toQString(bytes).replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
}

using ClientArea = QWidget;

} // namespace

struct CFrameWnd::Impl : public QObject {
    explicit Impl(CFrameWnd* owner) : owner(owner) {}

    class Window : public QMainWindow {
    public:
        explicit Window(Impl* impl) : impl_(impl) {}

    protected:
        void closeEvent(QCloseEvent* event) override {
            if (impl_->owner->OnClose()) {
                impl_->owner->closed_ = true;
                event->accept();
            } else {
                event->ignore();
            }
        }

    private:
        Impl* impl_;
    };

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Shortcut && qobject_cast<QAction*>(watched))
            return true;
        // Qt's menus report no hover over a disabled item; its prompt shows all the same.
        if (event->type() == QEvent::MouseMove) {
            if (auto* menu = qobject_cast<QMenu*>(watched);
                menu && std::find(menus.begin(), menus.end(), menu) != menus.end()) {
                QAction* action =
                    menu->actionAt(static_cast<QMouseEvent*>(event)->position().toPoint());
                if (action && !action->isEnabled() && !action->isSeparator())
                    for (const auto& [id, item] : actions)
                        if (item == action)
                            owner->HighlightMenuItem(id);
            }
        }
        if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) && window) {
            auto* widget = qobject_cast<QWidget*>(watched);
            // Keys of the frame's own window only: dialogs and open menus keep theirs.
            if (widget && widget->window() == window.data()) {
                refreshIndicators();
                auto* key = static_cast<QKeyEvent*>(event);
                UINT vk = VirtualKeyOf(key->key());
                if (event->type() == QEvent::KeyPress && vk && !widgetKeepsKey(widget, key) &&
                    owner->TranslateAccelerator(vk, ModifiersOf(key->modifiers())))
                    return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

    // An edit field being typed in keeps its own standard keys (copy, paste, undo...): it says so
    // by accepting the shortcut-override probe, as Qt's own shortcuts ask.
    static bool widgetKeepsKey(QWidget* widget, QKeyEvent* key) {
        QKeyEvent probe(QEvent::ShortcutOverride, key->key(), key->modifiers(), key->text());
        probe.setAccepted(false);
        QCoreApplication::sendEvent(widget, &probe);
        return probe.isAccepted();
    }

    void refreshIndicators() {
        if (!statusBar)
            return;
        for (std::size_t i = 0; i < panes.size(); ++i) {
            UINT id = owner->resources_.indicators[i];
            if (id == ID_SEPARATOR)
                continue;
            bool on = LockKeyOn(id);
            panes[i]->setText(on ? qtbridge::toQString(PromptText(owner->resources_, id))
                                 : QString());
        }
    }

    CFrameWnd* owner;
    QPointer<Window> window;
    ClientArea* client = nullptr;
    QStatusBar* statusBar = nullptr;
    std::vector<QLabel*> panes; // one per indicator; index of the message pane holds its label
    QLabel* messagePane = nullptr;
    std::vector<QMenu*> menus;
    std::map<UINT, QAction*> actions;
    std::string title;
    std::string message;
    bool tracking = false;
    std::string savedMessage;
    QTimer indicatorTimer;
};

FrameResources FrameResources::Standard() {
    FrameResources r;
    r.accelerators = {
        {FVIRTKEY | FCONTROL, 'N', ID_FILE_NEW},   {FVIRTKEY | FCONTROL, 'O', ID_FILE_OPEN},
        {FVIRTKEY | FCONTROL, 'S', ID_FILE_SAVE},  {FVIRTKEY | FCONTROL, 'P', ID_FILE_PRINT},
        {FVIRTKEY | FCONTROL, 'Z', ID_EDIT_UNDO},  {FVIRTKEY | FALT, VK_BACK, ID_EDIT_UNDO},
        {FVIRTKEY | FCONTROL, 'X', ID_EDIT_CUT},   {FVIRTKEY | FSHIFT, VK_DELETE, ID_EDIT_CUT},
        {FVIRTKEY | FCONTROL, 'C', ID_EDIT_COPY},  {FVIRTKEY | FCONTROL, VK_INSERT, ID_EDIT_COPY},
        {FVIRTKEY | FCONTROL, 'V', ID_EDIT_PASTE}, {FVIRTKEY | FSHIFT, VK_INSERT, ID_EDIT_PASTE},
        {FVIRTKEY, VK_F6, ID_NEXT_PANE},           {FVIRTKEY | FSHIFT, VK_F6, ID_PREV_PANE},
    };
    r.strings = {
        {AFX_IDS_IDLEMESSAGE, "Ready"},
        {ID_FILE_NEW, "Create a new document\nNew"},
        {ID_FILE_OPEN, "Open an existing document\nOpen"},
        {ID_FILE_SAVE, "Save the active document\nSave"},
        {ID_FILE_PRINT, "Print the active document\nPrint"},
        {ID_FILE_PRINT_PREVIEW, "Display full pages\nPrint Preview"},
        {ID_FILE_PRINT_SETUP, "Change the printer and printing options\nPrint Setup"},
        {ID_APP_EXIT, "Quit the application; prompts to save documents\nExit"},
        {ID_VIEW_STATUS_BAR, "Show or hide the status bar\nToggle StatusBar"},
        {ID_APP_ABOUT, "Display program information, version number and copyright\nAbout"},
        {ID_EDIT_COPY, "Copy the selection and put it on the Clipboard\nCopy"},
        {ID_EDIT_CUT, "Cut the selection and put it on the Clipboard\nCut"},
        {ID_EDIT_PASTE, "Insert Clipboard contents\nPaste"},
        {ID_EDIT_UNDO, "Undo the last action\nUndo"},
        {ID_NEXT_PANE, "Switch to the next window pane\nNext Pane"},
        {ID_PREV_PANE, "Switch back to the previous window pane\nPrevious Pane"},
        {ID_INDICATOR_CAPS, "CAP"},
        {ID_INDICATOR_NUM, "NUM"},
        {ID_INDICATOR_SCRL, "SCRL"},
    };
    return r;
}

std::string PromptText(const FrameResources& resources, UINT id) {
    auto it = resources.strings.find(id);
    if (it == resources.strings.end())
        return {};
    return it->second.substr(0, it->second.find('\n'));
}

CFrameWnd::CFrameWnd() : d_(std::make_unique<Impl>(this)) {}

CFrameWnd::~CFrameWnd() {
    if (qApp)
        qApp->removeEventFilter(d_.get());
    delete d_->window.data();
}

bool CFrameWnd::LoadFrame(const FrameResources& resources) {
    resources_ = resources;
    auto* window = new Impl::Window(d_.get());
    d_->window = window;
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    if (resources_.iconXpm)
        window->setWindowIcon(QIcon(QPixmap(resources_.iconXpm)));
    else if (!resources_.iconPath.empty())
        window->setWindowIcon(QIcon(QString::fromStdString(resources_.iconPath)));
    d_->client = new ClientArea(window);
    window->setCentralWidget(d_->client);

    for (std::size_t m = 0; m < resources_.menu.size(); ++m) {
        const MenuDesc& desc = resources_.menu[m];
        QMenu* menu = window->menuBar()->addMenu(qtbridge::toQString(desc.title));
        d_->menus.push_back(menu);
        for (const MenuItemDesc& item : desc.items) {
            if (item.id == ID_SEPARATOR) {
                menu->addSeparator();
                continue;
            }
            // The key after the tab is the item's shortcut, shown beside it and read to screen
            // readers as its key binding, not as part of its name. The accelerator table, not
            // Qt's shortcut, runs the command: the shortcut is never let fire (see eventFilter).
            const std::size_t tab = item.text.find('\t');
            QAction* action = menu->addAction(qtbridge::toQString(item.text.substr(0, tab)));
            if (tab != std::string::npos) {
                action->setShortcut(QKeySequence(qtbridge::toQString(item.text.substr(tab + 1)),
                                                 QKeySequence::PortableText));
                action->setShortcutContext(Qt::WidgetShortcut);
                action->installEventFilter(d_.get());
            }
            UINT id = item.id;
            d_->actions[id] = action;
            QObject::connect(action, &QAction::triggered, d_.get(),
                             [this, id] { SendCommand(id); });
            QObject::connect(action, &QAction::hovered, d_.get(),
                             [this, id] { HighlightMenuItem(id); });
        }
        int index = static_cast<int>(m);
        QObject::connect(menu, &QMenu::aboutToShow, d_.get(), [this, index] { UpdateMenu(index); });
        QObject::connect(menu, &QMenu::aboutToHide, d_.get(), [this] { HighlightMenuItem(0); });
    }
    qApp->installEventFilter(d_.get());
    return OnCreate();
}

bool CFrameWnd::OnCreate() {
    return CreateStatusBar();
}

bool CFrameWnd::CreateStatusBar() {
    if (!d_->window)
        return false;
    auto* bar = new QStatusBar(d_->window);
    bar->setSizeGripEnabled(true);
    d_->panes.clear();
    for (UINT id : resources_.indicators) {
        auto* label = new QLabel(bar);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setContentsMargins(2, 0, 2, 0);
        if (id == ID_SEPARATOR) {
            // A long message must not stop the window from getting narrower.
            label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            bar->addWidget(label, 1);
            if (!d_->messagePane)
                d_->messagePane = label;
        } else {
            QString sample = qtbridge::toQString(PromptText(resources_, id));
            label->setMinimumWidth(label->fontMetrics().horizontalAdvance(sample) + 8);
            label->setAlignment(Qt::AlignCenter);
            bar->addPermanentWidget(label);
        }
        d_->panes.push_back(label);
    }
    d_->window->setStatusBar(bar);
    d_->statusBar = bar;
    std::string idle = PromptText(resources_, AFX_IDS_IDLEMESSAGE);
    SetMessageText(idle.empty() ? "Ready" : idle);
    d_->refreshIndicators();
    d_->indicatorTimer.setInterval(500);
    QObject::connect(&d_->indicatorTimer, &QTimer::timeout, d_.get(),
                     [this] { d_->refreshIndicators(); });
    d_->indicatorTimer.start();
    return true;
}

void CFrameWnd::SetRoute(CCmdTarget* view, CCmdTarget* document, CCmdTarget* application) {
    view_ = view;
    document_ = document;
    application_ = application;
}

CCmdUI CFrameWnd::QueryCommand(UINT id) {
    CCmdUI ui(id);
    CCmdTarget* route[] = {view_, document_, this, application_};
    for (CCmdTarget* target : route) {
        if (target && target->OnUpdateCmdUI(ui))
            return ui;
    }
    for (CCmdTarget* target : route) {
        if (target && target->HasCommand(id))
            return ui;
    }
    ui.Enable(false);
    return ui;
}

bool CFrameWnd::dispatch(UINT id) {
    CCmdTarget* route[] = {view_, document_, this, application_};
    for (CCmdTarget* target : route) {
        if (target && target->OnCmdMsg(id))
            return true;
    }
    return false;
}

bool CFrameWnd::SendCommand(UINT id) {
    if (!QueryCommand(id).enabled())
        return false;
    return dispatch(id);
}

void CFrameWnd::UpdateMenu(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= resources_.menu.size())
        return;
    for (const MenuItemDesc& item : resources_.menu[static_cast<std::size_t>(index)].items) {
        auto it = d_->actions.find(item.id);
        if (item.id == ID_SEPARATOR || it == d_->actions.end())
            continue;
        CCmdUI ui = QueryCommand(item.id);
        it->second->setEnabled(ui.enabled());
        if (ui.checkChanged()) {
            it->second->setCheckable(true);
            it->second->setChecked(ui.checked());
        }
    }
}

bool CFrameWnd::IsMenuItemEnabled(UINT id) const {
    auto it = d_->actions.find(id);
    return it != d_->actions.end() && it->second->isEnabled();
}

bool CFrameWnd::IsMenuItemChecked(UINT id) const {
    auto it = d_->actions.find(id);
    return it != d_->actions.end() && it->second->isChecked();
}

std::string CFrameWnd::MenuItemText(UINT id) const {
    for (const MenuDesc& menu : resources_.menu) {
        for (const MenuItemDesc& item : menu.items) {
            if (item.id == id && id != ID_SEPARATOR)
                return item.text;
        }
    }
    return {};
}

void CFrameWnd::HighlightMenuItem(UINT id) {
    if (id == 0) {
        if (d_->tracking) {
            d_->tracking = false;
            SetMessageText(d_->savedMessage);
        }
        return;
    }
    if (!d_->tracking) {
        d_->savedMessage = d_->message;
        d_->tracking = true;
    }
    std::string prompt = PromptText(resources_, id);
    // While a menu is open the pane shows prompts; the text beneath is kept for its close.
    if (d_->messagePane)
        d_->messagePane->setText(qtbridge::toQString(prompt));
    d_->message = prompt;
}

bool CFrameWnd::TranslateAccelerator(UINT virtualKey, UINT modifiers) {
    modifiers &= (FSHIFT | FCONTROL | FALT);
    for (const AccelDesc& accel : resources_.accelerators) {
        if (accel.key == virtualKey && (accel.flags & (FSHIFT | FCONTROL | FALT)) == modifiers) {
            SendCommand(accel.command);
            return true;
        }
    }
    return false;
}

void CFrameWnd::SetWindowText(const std::string& title) {
    d_->title = title;
    if (d_->window)
        d_->window->setWindowTitle(titleForQt(title));
}

std::string CFrameWnd::GetWindowText() const {
    return d_->title;
}

void CFrameWnd::SetMessageText(const std::string& text) {
    if (d_->tracking) {
        // A command ran while a menu was still tracked: its text outlives the menu.
        d_->savedMessage = text;
    }
    d_->message = text;
    if (d_->messagePane)
        d_->messagePane->setText(qtbridge::toQString(text));
}

std::string CFrameWnd::GetMessageText() const {
    return d_->message;
}

std::string CFrameWnd::GetPaneText(int pane) const {
    if (pane < 0 || static_cast<std::size_t>(pane) >= d_->panes.size())
        return {};
    if (d_->panes[static_cast<std::size_t>(pane)] == d_->messagePane)
        return d_->message;
    d_->refreshIndicators();
    std::string out;
    cp1252::fromUtf8(d_->panes[static_cast<std::size_t>(pane)]->text().toStdString(), out);
    return out;
}

bool CFrameWnd::HasStatusBar() const {
    return d_->statusBar != nullptr;
}

bool CFrameWnd::IsStatusBarVisible() const {
    return d_->statusBar && !d_->statusBar->isHidden();
}

void CFrameWnd::ShowStatusBar(bool show) {
    if (d_->statusBar)
        d_->statusBar->setVisible(show);
}

void CFrameWnd::ShowWindow() {
    if (!d_->window)
        return;
    d_->window->show();
    d_->window->raise();
    d_->window->activateWindow();
}

bool CFrameWnd::IsWindowVisible() const {
    return d_->window && d_->window->isVisible();
}

void CFrameWnd::SetClientSize(int width, int height) {
    if (!d_->window)
        return;
    int extra = d_->window->menuBar()->sizeHint().height();
    if (IsStatusBarVisible())
        extra += d_->statusBar->sizeHint().height();
    d_->window->resize(width, height + extra);
    if (d_->window->layout())
        d_->window->layout()->activate();
}

Size CFrameWnd::GetClientSize() const {
    QWidget* central = d_->window ? d_->window->centralWidget() : nullptr;
    if (!central)
        return {};
    return {central->width(), central->height()};
}

void CFrameWnd::PostClose() {
    if (!d_->window)
        return;
    QTimer::singleShot(0, d_->window.data(), [this] { Close(); });
}

bool CFrameWnd::Close() {
    if (d_->window && !closed_)
        d_->window->close();
    return closed_;
}

bool CFrameWnd::SaveScreenshot(const std::string& path, std::string* error) const {
    if (!d_->window) {
        if (error)
            *error = "no window to take a picture of";
        return false;
    }
    QImage body = d_->window->grab().toImage();
    // The title bar belongs to the window manager, so the picture gets a caption strip of its
    // own, in the style of a classic desktop. It is drawn at the window's scale: the picture has
    // the screen's physical pixels.
    const int captionHeight = 22;
    QSize size = body.deviceIndependentSize().toSize();
    QImage image = qtbridge::imageAtRatio(size.width(), size.height() + captionHeight,
                                          body.devicePixelRatio());
    if (image.isNull()) {
        if (error)
            *error = "cannot make the picture for " + path;
        return false;
    }
    image.fill(QColor(0, 0, 128));
    QPainter painter(&image);
    int x = 4;
    QIcon icon = d_->window->windowIcon();
    if (!icon.isNull()) {
        painter.drawPixmap(x, 3, icon.pixmap(16, 16));
        x += 20;
    }
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(x, 0, image.width() - x - 4, captionHeight),
                     Qt::AlignVCenter | Qt::AlignLeft, qtbridge::toQString(d_->title));
    painter.drawImage(0, captionHeight, body);
    painter.end();
    return qtbridge::savePng(image, path, error);
}

bool CFrameWnd::OnCmdMsg(UINT id) {
    if (id == ID_VIEW_STATUS_BAR && d_->statusBar) {
        ShowStatusBar(!IsStatusBarVisible());
        return true;
    }
    return false;
}

bool CFrameWnd::HasCommand(UINT id) const {
    return id == ID_VIEW_STATUS_BAR && d_->statusBar;
}

bool CFrameWnd::OnUpdateCmdUI(CCmdUI& ui) {
    if (ui.id() == ID_VIEW_STATUS_BAR && d_->statusBar) {
        ui.SetCheck(IsStatusBarVisible() ? 1 : 0);
        return true;
    }
    return false;
}

void* CFrameWnd::nativeWindow() const {
    return d_->window.data();
}

} // namespace tnv
