#pragma once

#include <QProcess>
#include <QTemporaryDir>

// Sets up a QProcess to run mivartel-cli with a home folder of its own, so that a saved
// output folder or a profile of the user's cannot leak into a test.
inline void PrepareCli(QProcess &cli, const QTemporaryDir &home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    cli.setProcessEnvironment(env);
    cli.setProgram(QStringLiteral(MIVARTEL_CLI));
}
