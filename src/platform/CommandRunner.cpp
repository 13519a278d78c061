#include "platform/CommandRunner.h"

#include <QProcess>
#include <QStringList>

#include "platform/PlatformLog.h"

CommandRunner::Result ProcessCommandRunner::Run(const std::string& program,
                                                const std::vector<std::string>& arguments) {
    QStringList argumentList;
    for (const std::string& argument : arguments) {
        argumentList << QString::fromStdString(argument);
    }
    QProcess process;
    // The tools' complaints are for a terminal, not for the program's own output.
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QString::fromStdString(program), argumentList, QIODevice::ReadOnly);
    const int timeout = static_cast<int>(timeout_.count());
    if (!process.waitForStarted(timeout)) {
        qCInfo(lcPlatform) << "Cannot start" << program.c_str() << ":" << process.errorString();
        return {};
    }
    process.closeWriteChannel();
    if (!process.waitForFinished(timeout)) {
        qCWarning(lcPlatform) << program.c_str() << "did not finish in time; killed";
        process.kill();
        process.waitForFinished(timeout);
        return {};
    }
    Result result;
    result.Output = process.readAllStandardOutput().toStdString();
    result.Succeeded = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!result.Succeeded) {
        qCInfo(lcPlatform) << program.c_str() << "failed with exit code" << process.exitCode();
    }
    return result;
}
