#include "framework/qt/qt_view.h"

#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>
#include <vector>

#include "framework/dialog.h"
#include "framework/qt/control_widgets.h"
#include "framework/qt/dialog_window.h"
#include "framework/qt/fitted_font.h"
#include "framework/qt/message_box.h"
#include "framework/qt/qt_backend.h"
#include "framework/qt/qt_text.h"
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

std::vector<QtView*>& LiveViews() {
    static std::vector<QtView*> views;
    return views;
}

}  // namespace

QtView::QtView(QtBackend& backend, CDialog& dialog, const DialogTemplate& resource)
    : backend_(backend), dialog_(dialog), resource_(resource) {}

void QtView::Realize() {
    if (widget_)
        return;
    backend_.Realize();
    widget_ = std::make_unique<DialogWindow>(dialog_, resource_,
                                             [this](QPainter* painter) { painter_ = painter; });
    widget_->setAcceptDrops(dialog_.AcceptsFiles());
    windows_[widget_.get()] = &dialog_;

    QWidget* previousTabStop = nullptr;
    std::vector<QPushButton*> buttons;
    for (std::size_t index = 0; index < dialog_.Controls().size(); ++index) {
        CWnd& control = *dialog_.Controls()[index];
        QWidget* shown = MakeControlWidget(*widget_, resource_.items[index], control, dialog_);
        if (shown->focusPolicy() == Qt::StrongFocus) {
            if (previousTabStop != nullptr)
                QWidget::setTabOrder(previousTabStop, shown);
            previousTabStop = shown;
        }
        windows_[shown] = &control;
        controls_[&control] = shown;
        Refresh(control, *shown);
        if (auto* button = qobject_cast<QPushButton*>(shown))
            buttons.push_back(button);
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
