// Plays one start of the program on a data folder, through the platform's
// single-instance code alone:
//   movarel_tst_instance FOLDER [FILE...]
// Prints "handed over" and ends when the program running on FOLDER took the
// files. Otherwise prints "serving" (later starts reach it) or "alone", then
// a line per request it receives: "open" and each file as a file: address,
// tab-separated, or "activate". Ends when its standard input closes.
#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

namespace {

void say(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

void quitWhenInputCloses()
{
    auto *input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, qApp);
    QObject::connect(input, &QSocketNotifier::activated, qApp, [input] {
        char byte;
        if (::read(STDIN_FILENO, &byte, 1) <= 0) {
            input->setEnabled(false);
            QCoreApplication::quit();
        }
    });
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty())
        return 2;
    QStringList files;
    for (const QString &file : arguments.mid(1))
        files.append(QDir::current().absoluteFilePath(file));

    platform::InstanceClaim claim = platform::claimInstance(arguments.first(), files);
    if (claim.handedOver) {
        say(QStringLiteral("handed over"));
        return 0;
    }
    say(claim.server ? QStringLiteral("serving") : QStringLiteral("alone"));
    quitWhenInputCloses();
    if (claim.server) {
        QObject::connect(claim.server.get(), &platform::InstanceServer::openRequested, [](const QStringList &opened) {
            say((QStringList{QStringLiteral("open")} + platform::fileAddresses(opened)).join(QLatin1Char('\t')));
        });
        QObject::connect(claim.server.get(), &platform::InstanceServer::activateRequested,
                         [] { say(QStringLiteral("activate")); });
        claim.server->startDelivering();
    }
    return QCoreApplication::exec();
}
