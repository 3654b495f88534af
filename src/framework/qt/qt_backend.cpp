#include "framework/qt/qt_backend.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>
#include <QUrl>
#include <cstdlib>
#include <string>

#include "framework/dialog.h"
#include "framework/message_pump.h"
#include "framework/qt/display_probe.h"
#include "framework/qt/input_filter.h"
#include "framework/qt/message_box.h"
#include "framework/qt/qt_text.h"
#include "framework/qt/qt_view.h"
#include "framework/shell.h"

namespace {

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

QtBackend::QtBackend() : queue_(AfxGetThreadQueue()), drain_(*queue_) {}

void QtBackend::Realize() {
    if (realized_)
        return;
    realized_ = true;
    if (QApplication::instance() == nullptr)
        ownApplication_.reset(MakeApplication());
    pump_ = std::make_unique<QObject>();
    inputFilter_ = std::make_unique<InputFilter>();
    translator_ = std::make_unique<QTranslator>();
    QApplication::instance()->installEventFilter(inputFilter_.get());
    // The whole user interface is Japanese, whatever the user's locale: Qt's own dialogs too.
    if (translator_->load(QStringLiteral("qtbase_ja"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(translator_.get());
    }
    QObject* pump = pump_.get();
    queue_->SetArrivalHandler([this, pump] {
        QMetaObject::invokeMethod(
            pump, [this] { ScheduleDrain(); }, Qt::QueuedConnection);
    });
    // What was posted before Qt was there.
    QMetaObject::invokeMethod(
        pump, [this] { ScheduleDrain(); }, Qt::QueuedConnection);
}

QtBackend::~QtBackend() {
    if (!realized_)
        return;
    QApplication::removeTranslator(translator_.get());
    queue_->SetArrivalHandler(nullptr);
    QApplication::instance()->removeEventFilter(inputFilter_.get());
}

void QtBackend::ScheduleDrain() {
    if (const auto frameLeft = drain_.DrainOrWait(); frameLeft.count() > 0)
        QTimer::singleShot(frameLeft, Qt::PreciseTimer, pump_.get(), [this] { ScheduleDrain(); });
}

std::unique_ptr<DialogView> QtBackend::CreateView(CDialog& dialog, const DialogTemplate& resource) {
    return std::make_unique<QtView>(*this, dialog, resource);
}

void QtBackend::RunModalLoop(CDialog& dialog) {
    static_cast<QtView*>(dialog.View())->RunLoop();
}

int QtBackend::MessageBox(const CString& text, const CString& caption, UINT type) {
    Realize();
    return ShowMessageBox(nullptr, text, caption, type);
}

void QtBackend::SetWaitCursor(bool on) {
    QtView::ShowWaitCursor(on);
}

INT_PTR QtBackend::OpenDocument(const CString& path) {
    // An empty name names no file: the desktop is not asked, and nothing has failed.
    if (path.empty())
        return SE_REQUEST_MADE;
    Realize();
    const QFileInfo file(ToQt(path));
    if (!file.exists())
        return SE_ERR_FNF;
    // Fails where Qt finds no opener (xdg-open or a desktop's own) or its platform opens nothing.
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file.absoluteFilePath())) ? SE_REQUEST_MADE
                                                                                   : SE_ERR_NOASSOC;
}
