#include "window/run_window.h"

#include "window/desktop/end_signals.h"
#include "window/desktop/qt_desktop.h"
#include "window/form1.h"

#include <QApplication>

#include <algorithm>
#include <csignal>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Qt aborts with a long message when it finds no display; say it plainly instead.
bool DisplayAvailable()
{
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

}  // namespace

int RunWindow(int argc, char* argv[], const CommandLine& line)
{
    if (!DisplayAvailable()) {
        std::fputs("Dialwright needs a graphical display and found none (DISPLAY is not set); "
                   "start it on a virtual display with: xvfb-run -a dialwright\n",
                   stderr);
        return 2;
    }
    // A file-size limit should fail a save with "Disk full", not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    // Qt reads only what stands before "--"; everything after it is a file's name.
    int qtArgumentCount = 1 + std::min(line.qtArgumentCount, argc - 1);
    std::vector<char*> qtArguments(argv, argv + qtArgumentCount);
    qtArguments.push_back(nullptr);
    QApplication app(qtArgumentCount, qtArguments.data());
    QApplication::setApplicationName(QStringLiteral("Dialwright"));
    QApplication::setApplicationVersion(QStringLiteral(DIALWRIGHT_VERSION));
    QApplication::setOrganizationDomain(QStringLiteral("dialwright.example"));
    // Lets the desktop match the window to its entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.dialwright.Dialwright"));

    QtDesktop desktop;
    const EndSignals endSignals(desktop);
    Form1 window(desktop, QCoreApplication::applicationDirPath());
    desktop.setMainWindow(&window);
    if (!line.ruleFiles.isEmpty())
        window.LoadRuleFiles(line.ruleFiles);
    window.show();
    if (!line.files.isEmpty()) {
        const QList<MissingFile> missing = window.LoadPhoneNumberFiles(line.files);
        // The terminal hears of them first; the box waits for the user.
        const QByteArray lines = MissingFilesErrorLines(missing);
        std::fwrite(lines.constData(), 1, static_cast<size_t>(lines.size()), stderr);
        std::fflush(stderr);
        window.ReportMissingFiles(missing);
    }
    return QApplication::exec();
}
