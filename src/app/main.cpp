#include "app/command_line.h"
#include "app/desktop/end_signals.h"
#include "app/desktop/qt_desktop.h"
#include "app/form1.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

#include <csignal>

#include <cstdio>
#include <cstdlib>

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

int main(int argc, char* argv[])
{
    QStringList arguments;
    arguments.reserve(argc);
    for (int i = 1; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    const CommandLine line = ParseCommandLine(arguments);
    switch (line.action) {
    case CommandLine::Action::Help: std::fputs(qPrintable(HelpText()), stdout); return 0;
    case CommandLine::Action::Version: std::fputs(qPrintable(VersionText()), stdout); return 0;
    case CommandLine::Action::Usage:
        std::fputs(qPrintable(UsageText(line.problem)), stderr);
        return 2;
    case CommandLine::Action::Run: break;
    }
    if (!DisplayAvailable()) {
        std::fputs("Dialwright needs a graphical display and found none (DISPLAY is not set); "
                   "start it on a virtual display with: xvfb-run -a dialwright\n",
                   stderr);
        return 2;
    }
    // A file-size limit should fail a save with "Disk full", not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dialwright"));
    QApplication::setApplicationVersion(QStringLiteral(DIALWRIGHT_VERSION));
    QApplication::setOrganizationDomain(QStringLiteral("dialwright.example"));
    // Lets the desktop match the window to its entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.dialwright.Dialwright"));

    QtDesktop desktop;
    const EndSignals endSignals(desktop);
    Form1 window(desktop, QCoreApplication::applicationDirPath());
    desktop.setMainWindow(&window);
    if (!line.ruleFiles.isEmpty()) {
        QStringList ruleFiles;
        ruleFiles.reserve(line.ruleFiles.size());
        for (const QString& file : line.ruleFiles)
            ruleFiles << QFileInfo(file).absoluteFilePath();
        window.LoadRuleFiles(ruleFiles);
    }
    window.show();
    QStringList files;
    files.reserve(line.files.size());
    for (const QString& file : line.files)
        files << QFileInfo(file).absoluteFilePath();
    if (!files.isEmpty())
        window.LoadPhoneNumberFiles(files);
    return QApplication::exec();
}
