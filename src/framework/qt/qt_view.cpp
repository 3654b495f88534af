#include "framework/qt/qt_view.h"

#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QStyle>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <vector>

#include "framework/dialog.h"
#include "framework/qt/dialog_font.h"
#include "framework/qt/dialog_units.h"
#include "framework/qt/fitted_font.h"
#include "framework/qt/message_box.h"
#include "framework/qt/qt_backend.h"
#include "framework/qt/qt_text.h"
#include "framework/shell.h"
#include "framework/win_app.h"

namespace {

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

// The width a line of text may take in the field: Qt keeps two pixels each side of it, and one
// more for the cursor and one for rounding.
qreal TextRoom(const QLineEdit& field) {
    const int frame =
        field.hasFrame() ? field.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &field)
                         : 0;
    return field.width() - 2 * frame - 2 * 2 - 2;
}

// Each caption keeps the padding the style gives a button's text; all buttons share one font,
// so that their captions match.
void FitCaptions(const std::vector<QPushButton*>& buttons) {
    if (buttons.empty())
        return;
    const QStyle* style = buttons.front()->style();
    const int padding = style->pixelMetric(QStyle::PM_ButtonMargin) +
                        2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth);
    const QFont font =
        FitFont(buttons.front()->font(), false, [&buttons, padding](const QFontMetricsF& metrics) {
            return std::all_of(buttons.begin(), buttons.end(), [&](const QPushButton* button) {
                return metrics.horizontalAdvance(button->text()) + padding <= button->width();
            });
        });
    for (QPushButton* button : buttons)
        button->setFont(font);
}

// The local files and folders that a drag carries, as the desktop's file manager gives them.
std::vector<CString> DraggedPaths(const QMimeData* data) {
    std::vector<CString> paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            paths.push_back(QDir::cleanPath(url.toLocalFile()).toStdU16String());
    }
    return paths;
}

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
    // Files and folders dragged over the window, its controls included: the controls take no
    // drops of their own, so that the dialog has them all.
    void dragEnterEvent(QDragEnterEvent* event) override { dragMoveEvent(event); }
    void dragMoveEvent(QDragMoveEvent* event) override {
        if (view_.dialog_.IsWindowEnabled() && !DraggedPaths(event->mimeData()).empty())
            event->acceptProposedAction();
    }
    void dropEvent(QDropEvent* event) override {
        if (AfxDropFiles(view_.dialog_, DraggedPaths(event->mimeData())))
            event->acceptProposedAction();
    }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        view_.painter_ = &painter;
        view_.dialog_.SendMessage(WM_PAINT);
        view_.painter_ = nullptr;
    }

  private:
    QtView& view_;
};

QtView::QtView(QtBackend& backend, CDialog& dialog, const DialogTemplate& resource)
    : backend_(backend), dialog_(dialog), resource_(resource) {}

void QtView::Realize() {
    if (widget_)
        return;
    backend_.Realize();
    const DialogTemplate& resource = resource_;
    widget_ = std::make_unique<Widget>(*this);
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
    widget_->setAcceptDrops(dialog_.AcceptsFiles());
    windows_[widget_.get()] = &dialog_;

    QWidget* previousTabStop = nullptr;
    std::vector<QPushButton*> buttons;
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
                buttons.push_back(button);
                break;
            }
            case ControlClass::Static:
                shown = new QLabel(widget_.get());
                break;
        }
        shown->setObjectName(QString::number(item.id));
        shown->setAcceptDrops(false);
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
        if (auto* edit = qobject_cast<QLineEdit*>(shown); edit != nullptr && edit->isReadOnly())
            readOnlyFields_.push_back(edit);
    }
    FitReadOnlyFields();
    FitCaptions(buttons);
    widget_->setWindowTitle(ToQt(dialog_.GetWindowText()));
    if (HICON icon = dialog_.GetIcon(TRUE))
        widget_->setWindowIcon(IconOf(icon));
    LiveViews().push_back(this);
}

QtView::~QtView() {
    std::erase(LiveViews(), this);
    if (widget_)
        widget_->hide();
}

QtView* QtView::Of(const QObject* object) {
    for (QtView* view : LiveViews()) {
        if (view->WindowOf(object) != nullptr)
            return view;
    }
    return nullptr;
}

void QtView::ShowWaitCursor(bool on) {
    for (QtView* view : LiveViews()) {
        if (on == !view->keptCursors_.empty())
            continue;
        std::vector<QWidget*> shown{view->widget_.get()};
        for (const auto& [window, control] : view->controls_)
            shown.push_back(control);
        for (QWidget* each : shown) {
            if (on) {
                view->keptCursors_[each] = each->testAttribute(Qt::WA_SetCursor)
                                               ? std::optional<QCursor>(each->cursor())
                                               : std::nullopt;
                each->setCursor(Qt::WaitCursor);
            } else if (const std::optional<QCursor>& kept = view->keptCursors_[each]) {
                each->setCursor(*kept);
            } else {
                each->unsetCursor();
            }
        }
        if (!on)
            view->keptCursors_.clear();
    }
}

CWnd* QtView::WindowOf(const QObject* object) const {
    const auto found = windows_.find(object);
    return found == windows_.end() ? nullptr : found->second;
}

void QtView::Refresh(CWnd& window, QWidget& shown) {
    const QString text = ToQt(window.GetWindowText());
    if (auto* edit = qobject_cast<QLineEdit*>(&shown)) {
        if (edit->text() != text) {
            edit->setText(text);
            FitReadOnlyFields();
        }
    } else if (auto* button = qobject_cast<QPushButton*>(&shown)) {
        button->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(&shown)) {
        label->setText(text);
    }
    shown.setEnabled(window.IsWindowEnabled() != FALSE);
}

void QtView::FitReadOnlyFields() {
    qsizetype longest = 0;
    for (const QLineEdit* field : readOnlyFields_)
        longest = std::max(longest, field->text().size());
    if (longest != fittedLength_) {
        fittedLength_ = longest;
        fittedFont_ = FitFont(widget_->font(), true, [this, longest](const QFontMetricsF& metrics) {
            qreal widest = 0;
            for (char16_t figure = u'0'; figure <= u'9'; ++figure)
                widest = std::max(widest, metrics.horizontalAdvance(QChar(figure)));
            return std::all_of(
                readOnlyFields_.begin(), readOnlyFields_.end(), [&](const QLineEdit* field) {
                    return std::max(metrics.horizontalAdvance(field->text()),
                                    static_cast<qreal>(longest) * widest) <= TextRoom(*field);
                });
        });
    }
    for (QLineEdit* field : readOnlyFields_) {
        if (field->font() != fittedFont_)
            field->setFont(fittedFont_);
    }
}

void QtView::WindowChanged(CWnd& window) {
    if (!widget_)
        return;
    if (&window == &dialog_) {
        // The dialog's own enabled state is the framework's business: Qt blocks the input of
        // a window that has a modal box open by itself.
        widget_->setWindowTitle(ToQt(dialog_.GetWindowText()));
        if (HICON icon = dialog_.GetIcon(TRUE))
            widget_->setWindowIcon(IconOf(icon));
        widget_->setAcceptDrops(dialog_.AcceptsFiles());
        return;
    }
    const auto found = controls_.find(&window);
    if (found == controls_.end())
        return;
    // Enabled states at once, so that no click reaches a button the dialog has disabled.
    found->second->setEnabled(window.IsWindowEnabled() != FALSE);
    if (std::find(changedTexts_.begin(), changedTexts_.end(), &window) != changedTexts_.end())
        return;
    if (changedTexts_.empty())
        QTimer::singleShot(0, widget_.get(), [this] { ShowChangedTexts(); });
    changedTexts_.push_back(&window);
}

void QtView::ShowChangedTexts() {
    for (CWnd* window : std::exchange(changedTexts_, {}))
        Refresh(*window, *controls_.at(window));
}

void QtView::Show() {
    Realize();
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
    Realize();
    QFileDialog chooser(widget_.get(), ToQt(title));
    // The user's desktop folder, or home where there is none, as the shell's browser starts at
    // the desktop.
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    chooser.setDirectory(QFileInfo(desktop).isDir() ? desktop : QDir::homePath());
    chooser.setFileMode(QFileDialog::Directory);
    chooser.setOption(QFileDialog::ShowDirsOnly, true);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return std::nullopt;
    return chooser.selectedFiles().first().toStdU16String();
}

int QtView::MessageBox(const CString& text, const CString& caption, UINT type) {
    Realize();
    return ShowMessageBox(widget_.get(), text, caption, type);
}

bool QtView::IsMinimized() const {
    return widget_ && widget_->isMinimized();
}

RECT QtView::ClientRect() const {
    return widget_ ? RECT{0, 0, widget_->width(), widget_->height()} : RECT{};
}

void QtView::DrawIcon(int x, int y, HICON icon) {
    if (painter_ != nullptr)
        painter_->drawPixmap(x, y, IconOf(icon).pixmap(32, 32));
}
