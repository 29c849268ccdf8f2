// atlume-bench: measures what the console costs, through a real MainWindow
// and a pseudo-terminal: the pause of send_order and a burst of module output.

#include "benchmodes.h"
#include "benchsupport.h"

#include <QCommandLineParser>

namespace {

struct Options {
    int lines = 0;
    int pauses = 0;
};

Options parseOptions(const QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Measures the pause of send_order and the console's receive path."));
    parser.addHelpOption();
    const QCommandLineOption lines(QStringLiteral("lines"),
                                   QStringLiteral("Lines of the burst (default 200000)."),
                                   QStringLiteral("n"), QStringLiteral("200000"));
    const QCommandLineOption pauses(QStringLiteral("pauses"),
                                    QStringLiteral("Pauses to measure (default 5)."),
                                    QStringLiteral("n"), QStringLiteral("5"));
    parser.addOptions({lines, pauses});
    parser.process(app);

    Options options;
    options.lines = qMax(1, parser.value(lines).toInt());
    options.pauses = qMax(1, parser.value(pauses).toInt());
    return options;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("atlume-bench"));

    const Options options = parseOptions(app);
    return atlume::bench::runPauseAndBurst(options.lines, options.pauses);
}
