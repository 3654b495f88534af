#include "framework/qt/qt_backend.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <unordered_map>

#include "framework/dialog.h"
#include "framework/message_pump.h"
#include "framework/qt/display_probe.h"
#include "framework/win_app.h"

namespace {

QString ToQt(const CString& text) {
    return QString::fromStdU16String(text);
}

QIcon IconOf(HICON icon) {
    QIcon result;
    const HINSTANCE module = AfxGetResourceHandle();
    const auto* images = module != nullptr ? module->FindIcon(IconResourceId(icon)) : nullptr;
    if (images == nullptr)
        return result;
    for (const IconImage& image : *images) {
        QPixmap pixmap;
        pixmap.loadFromData(image.png.data(), static_cast<uint>(image.png.size()), "PNG");
        result.addPixmap(pixmap);
    }
    return result;
}

// The template's font where installed, otherwise the desktop's font if it has Japanese, or else
// the first sans-serif face that has.
QFont DialogFont(const DialogTemplate& resource) {
    QString family = ToQt(resource.fontName);
    if (!QFontDatabase::hasFamily(family)) {
        const QString general = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
        const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
        const auto sans = std::find_if(japanese.begin(), japanese.end(), [](const QString& face) {
            return face.contains(u"Gothic") || face.contains(u"Sans");
        });
        family = japanese.contains(general) ? general
                 : sans != japanese.end()   ? *sans
                 : japanese.isEmpty()       ? general
                                            : japanese.first();
    }
    QFont font(family);
    font.setPointSize(resource.pointSize);
    return font;
}

// Dialog units as Windows measures them: a horizontal unit is a quarter of the font's average
// character width, a vertical one an eighth of its height.
class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font) {
        const QFontMetrics metrics(font);
        const int letters = metrics.horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        baseX_ = (letters / 26 + 1) / 2;
        baseY_ = metrics.height();
    }
    int X(int units) const { return (units * baseX_ + 2) / 4; }
    int Y(int units) const { return (units * baseY_ + 4) / 8; }
    QRect Rect(const RECT& area) const {
        return {X(area.left), Y(area.top), X(area.right) - X(area.left),
                Y(area.bottom) - Y(area.top)};
    }

  private:
    int baseX_ = 1;
    int baseY_ = 1;
};

WPARAM VirtualKey(const QKeyEvent& event) {
    const int key = event.key();
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return VK_RETURN;
        case Qt::Key_Escape:
            return VK_ESCAPE;
        case Qt::Key_Tab:
            return 0x09;
        case Qt::Key_Backspace:
            return 0x08;
        case Qt::Key_Space:
            return 0x20;
        default:
            if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)) {
                return static_cast<WPARAM>(key);
            }
            return 0;
    }
}

WPARAM MouseKeys(const QMouseEvent& event) {
    WPARAM keys = 0;
    if (event.buttons() & Qt::LeftButton)
        keys |= MK_LBUTTON;
    if (event.buttons() & Qt::RightButton)
        keys |= 0x02;
    if (event.buttons() & Qt::MiddleButton)
        keys |= 0x10;
    if (event.modifiers() & Qt::ShiftModifier)
        keys |= MK_SHIFT;
    if (event.modifiers() & Qt::ControlModifier)
        keys |= MK_CONTROL;
    return keys;
}

BOOL PreTranslate(MSG& message) {
    CWinApp* app = AfxGetApp();
    return app != nullptr ? app->PreTranslateMessage(&message) : FALSE;
}

int ShowBox(QWidget* owner, const CString& text, const CString& caption, UINT type) {
    QMessageBox box(owner);
    box.setWindowTitle(ToQt(caption));
    box.setText(ToQt(text));
    switch (type & MB_ICONMASK) {
        case MB_ICONQUESTION:
            box.setIcon(QMessageBox::Question);
            break;
        case MB_ICONERROR:
            box.setIcon(QMessageBox::Critical);
            break;
        default:
            box.setIcon(QMessageBox::NoIcon);
    }
    if ((type & MB_TYPEMASK) == MB_YESNO) {
        QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
        box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.exec();
        return box.clickedButton() == yes ? IDYES : IDNO;
    }
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
    return IDOK;
}

}  // namespace

// The window of one dialog.
class QtView final : public DialogView {
  public:
    QtView(CDialog& dialog, const DialogTemplate& resource);
    ~QtView() override;

    void Show() override;
    void WindowChanged(CWnd& window) override;
    void EndModalLoop() override;
    int MessageBox(const CString& text, const CString& caption, UINT type) override {
        return ShowBox(widget_.get(), text, caption, type);
    }
    std::optional<CString> BrowseForFolder(const CString& title) override;
    bool IsMinimized() const override { return widget_->isMinimized(); }
    RECT ClientRect() const override { return {0, 0, widget_->width(), widget_->height()}; }
    void DrawIcon(int x, int y, HICON icon) override;

    void RunLoop();
    // The framework window that a Qt object shows, if any.
    CWnd* WindowOf(const QObject* object) const;
    static QtView* Of(const QObject* object);

  private:
    class Widget;
    void Refresh(CWnd& window, QWidget& shown);

    CDialog& dialog_;
    std::unique_ptr<QDialog> widget_;
    std::unordered_map<const QObject*, CWnd*> windows_;
    std::unordered_map<const CWnd*, QWidget*> controls_;
    QEventLoop* loop_ = nullptr;
    bool ended_ = false;
    QPainter* painter_ = nullptr;
};

namespace {

std::vector<QtView*>& LiveViews() {
    static std::vector<QtView*> views;
    return views;
}

}  // namespace

class QtView::Widget final : public QDialog {
  public:
    explicit Widget(QtView& view) : view_(view) {}

  protected:
    // The close box, Close in the window menu and Alt+F4: the window's close command.
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        if (view_.dialog_.IsWindowEnabled())
            view_.dialog_.SendMessage(WM_CLOSE);
    }
    // Qt's own dialog keys (Enter for a default button, Escape to reject) never apply: the
    // framework's dialog manager has them.
    void keyPressEvent(QKeyEvent* event) override {
        const int key = event->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape)
            return;
        QDialog::keyPressEvent(event);
    }
    void reject() override {}
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        view_.painter_ = &painter;
        view_.dialog_.SendMessage(WM_PAINT);
        view_.painter_ = nullptr;
    }

  private:
    QtView& view_;
};

QtView::QtView(CDialog& dialog, const DialogTemplate& resource)
    : dialog_(dialog), widget_(std::make_unique<Widget>(*this)) {
    const QFont font = DialogFont(resource);
    const DialogUnits units(font);
    widget_->setFont(font);
    widget_->setObjectName(QStringLiteral("dialog"));
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (resource.style & WS_SYSMENU)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (resource.style & WS_MINIMIZEBOX)
        flags |= Qt::WindowMinimizeButtonHint;
    if (resource.style & DS_SYSMODAL)
        flags |= Qt::WindowStaysOnTopHint;
    widget_->setWindowFlags(flags);
    const QRect client = units.Rect(resource.rect);
    widget_->setFixedSize(client.size());
    windows_[widget_.get()] = &dialog_;

    QWidget* previousTabStop = nullptr;
    for (std::size_t index = 0; index < dialog_.Controls().size(); ++index) {
        const std::unique_ptr<CWnd>& control = dialog_.Controls()[index];
        const DialogItemTemplate& item = resource.items[index];
        QWidget* shown = nullptr;
        switch (item.controlClass) {
            case ControlClass::Edit: {
                auto* edit = new QLineEdit(widget_.get());
                edit->setReadOnly((item.style & ES_READONLY) != 0);
                edit->setAlignment((item.style & ES_RIGHT) != 0 ? Qt::AlignRight | Qt::AlignVCenter
                                                                : Qt::AlignLeft | Qt::AlignVCenter);
                edit->setFrame((item.style & WS_BORDER) != 0);
                CWnd* window = control.get();
                QObject::connect(edit, &QLineEdit::textEdited, edit, [window](const QString& text) {
                    window->SetTextFromUser(text.toStdU16String());
                });
                shown = edit;
                break;
            }
            case ControlClass::Button: {
                auto* button = new QPushButton(widget_.get());
                button->setAutoDefault(false);
                button->setDefault(false);
                CWnd* window = control.get();
                QObject::connect(button, &QPushButton::clicked, button, [this, window] {
                    dialog_.SendMessage(
                        WM_COMMAND,
                        MAKEWPARAM(static_cast<UINT>(window->GetDlgCtrlID()), BN_CLICKED),
                        reinterpret_cast<LPARAM>(window->m_hWnd));
                });
                shown = button;
                break;
            }
            case ControlClass::Static:
                shown = new QLabel(widget_.get());
                break;
        }
        shown->setObjectName(QString::number(item.id));
        shown->setGeometry(units.Rect(item.rect));
        if ((item.style & WS_TABSTOP) != 0) {
            shown->setFocusPolicy(Qt::StrongFocus);
            if (previousTabStop != nullptr)
                QWidget::setTabOrder(previousTabStop, shown);
            previousTabStop = shown;
        } else {
            shown->setFocusPolicy(item.controlClass == ControlClass::Edit ? Qt::ClickFocus
                                                                          : Qt::NoFocus);
        }
        windows_[shown] = control.get();
        controls_[control.get()] = shown;
        Refresh(*control, *shown);
    }
    LiveViews().push_back(this);
}

QtView::~QtView() {
    std::erase(LiveViews(), this);
    widget_->hide();
}

QtView* QtView::Of(const QObject* object) {
    for (QtView* view : LiveViews()) {
        if (view->WindowOf(object) != nullptr)
            return view;
    }
    return nullptr;
}

CWnd* QtView::WindowOf(const QObject* object) const {
    const auto found = windows_.find(object);
    return found == windows_.end() ? nullptr : found->second;
}

void QtView::Refresh(CWnd& window, QWidget& shown) {
    const QString text = ToQt(window.GetWindowText());
    if (auto* edit = qobject_cast<QLineEdit*>(&shown)) {
        if (edit->text() != text)
            edit->setText(text);
    } else if (auto* button = qobject_cast<QPushButton*>(&shown)) {
        button->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(&shown)) {
        label->setText(text);
    }
    shown.setEnabled(window.IsWindowEnabled() != FALSE);
}

void QtView::WindowChanged(CWnd& window) {
    if (&window == &dialog_) {
        // The dialog's own enabled state is the framework's business: Qt blocks the input of
        // a window that has a modal box open by itself.
        widget_->setWindowTitle(ToQt(dialog_.GetWindowText()));
        if (HICON icon = dialog_.GetIcon(TRUE))
            widget_->setWindowIcon(IconOf(icon));
        return;
    }
    if (const auto found = controls_.find(&window); found != controls_.end())
        Refresh(window, *found->second);
}

void QtView::Show() {
    widget_->setWindowTitle(ToQt(dialog_.GetWindowText()));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        widget_->move(area.center() - QPoint(widget_->width() / 2, widget_->height() / 2));
    }
    widget_->show();
    widget_->raise();
    widget_->activateWindow();
}

void QtView::EndModalLoop() {
    ended_ = true;
    if (loop_ != nullptr)
        loop_->quit();
}

void QtView::RunLoop() {
    if (ended_)
        return;
    QEventLoop loop;
    loop_ = &loop;
    loop.exec();
    loop_ = nullptr;
}

std::optional<CString> QtView::BrowseForFolder(const CString& title) {
    QFileDialog chooser(widget_.get(), ToQt(title));
    chooser.setFileMode(QFileDialog::Directory);
    chooser.setOption(QFileDialog::ShowDirsOnly, true);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return std::nullopt;
    return chooser.selectedFiles().first().toStdU16String();
}

void QtView::DrawIcon(int x, int y, HICON icon) {
    if (painter_ != nullptr)
        painter_->drawPixmap(x, y, IconOf(icon).pixmap(32, 32));
}

namespace {

// Keyboard and mouse input for a dialog's widgets first goes through the application's
// PreTranslateMessage, as a message loop's retrieved messages do; TRUE swallows it.
class InputFilter final : public QObject {
  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        const bool key = type == QEvent::KeyPress || type == QEvent::KeyRelease;
        const bool mouse = type == QEvent::MouseMove || type == QEvent::MouseButtonPress ||
                           type == QEvent::MouseButtonRelease;
        if (!key && !mouse)
            return false;
        const QtView* view = QtView::Of(watched);
        if (view == nullptr)
            return false;
        const HWND window = view->WindowOf(watched)->m_hWnd;
        if (key) {
            const auto& keyEvent = static_cast<const QKeyEvent&>(*event);
            MSG message{window, type == QEvent::KeyPress ? WM_KEYDOWN : WM_KEYUP,
                        VirtualKey(keyEvent), 0};
            if (PreTranslate(message))
                return true;
            if (type == QEvent::KeyPress && !keyEvent.text().isEmpty()) {
                MSG character{window, WM_CHAR, keyEvent.text().front().unicode(), 0};
                if (PreTranslate(character))
                    return true;
            }
            return false;
        }
        const auto& mouseEvent = static_cast<const QMouseEvent&>(*event);
        const UINT number = type == QEvent::MouseMove          ? WM_MOUSEMOVE
                            : type == QEvent::MouseButtonPress ? WM_LBUTTONDOWN
                                                               : WM_LBUTTONUP;
        MSG message{window, number, MouseKeys(mouseEvent), 0};
        return PreTranslate(message) != FALSE;
    }
};

QApplication* MakeApplication() {
    // Qt takes its own options out of the arguments it is given; the command line is the
    // framework's, so Qt gets only the program's name.
    static int argc = 1;
    static char name[] = "hashwick";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);
}

}  // namespace

bool QtBackend::CanShowWindows() {
    const auto environment = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value != nullptr ? value : "");
    };
    const std::string x11 = environment("DISPLAY");
    if (!x11.empty() && X11DisplayAnswers(x11))
        return true;
    const QString waylandPlugin = QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                                  QStringLiteral("/platforms/libqwayland-generic.so");
    const std::string wayland = environment("WAYLAND_DISPLAY");
    if (wayland.empty() || !QFileInfo::exists(waylandPlugin) || !WaylandDisplayAnswers(wayland))
        return false;
    // Without an X11 display Qt must be told to take Wayland's.
    if (x11.empty())
        setenv("QT_QPA_PLATFORM", "wayland", 0);
    return true;
}

QtBackend::QtBackend()
    : ownApplication_(QApplication::instance() == nullptr ? MakeApplication() : nullptr),
      queue_(AfxGetThreadQueue()),
      pump_(std::make_unique<QObject>()),
      inputFilter_(std::make_unique<InputFilter>()) {
    QApplication::instance()->installEventFilter(inputFilter_.get());
    QObject* pump = pump_.get();
    queue_->SetArrivalHandler([this, pump] {
        QMetaObject::invokeMethod(
            pump, [this] { Drain(); }, Qt::QueuedConnection);
    });
}

QtBackend::~QtBackend() {
    queue_->SetArrivalHandler(nullptr);
    QApplication::instance()->removeEventFilter(inputFilter_.get());
}

void QtBackend::Drain() {
    QueuedItem item;
    while (queue_->Peek(&item))
        AfxPumpItem(item);
}

std::unique_ptr<DialogView> QtBackend::CreateView(CDialog& dialog, const DialogTemplate& resource) {
    return std::make_unique<QtView>(dialog, resource);
}

void QtBackend::RunModalLoop(CDialog& dialog) {
    static_cast<QtView*>(dialog.View())->RunLoop();
}

int QtBackend::MessageBox(const CString& text, const CString& caption, UINT type) {
    return ShowBox(nullptr, text, caption, type);
}

void QtBackend::SetWaitCursor(bool on) {
    if (on) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void QtBackend::OpenDocument(const CString& path) {
    // An empty name names no file; the desktop is not asked.
    if (path.empty())
        return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(ToQt(path)).absoluteFilePath()));
}
