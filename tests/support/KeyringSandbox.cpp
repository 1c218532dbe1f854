#include "KeyringSandbox.h"

#include "session/Keychain.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>
#include <csignal>

namespace norvane::test {

namespace {

// Runs a program to its end (a test fails rather than waits forever) and gives its output.
QByteArray runProgram(const QString &program, const QStringList &arguments, const QByteArray &input,
                      const QProcessEnvironment &env)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    if (!process.waitForStarted(5000))
        return {};
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(10000))
        process.kill();
    return process.readAllStandardOutput();
}

} // namespace

QProcessEnvironment onBus(const QString &busAddress)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!busAddress.isEmpty())
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
    return env;
}

void storeWithSecretTool(const QString &account, const QByteArray &secret, const QString &busAddress)
{
    runProgram(QStringLiteral("secret-tool"),
               {QStringLiteral("store"), QStringLiteral("--label=x"), QStringLiteral("service"),
                Keychain::service(), QStringLiteral("account"), account},
               secret, onBus(busAddress));
}

int itemCount(const QString &account, const QString &busAddress)
{
    const QByteArray out =
        runProgram(QStringLiteral("secret-tool"),
                   {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("service"),
                    Keychain::service(), QStringLiteral("account"), account},
                   {}, onBus(busAddress));
    return int(('\n' + out).count("\n["));
}

KeyringSandbox::KeyringSandbox()
{
    QDir(folder()).mkpath(QStringLiteral("data"));
    QDir(folder()).mkpath(QStringLiteral("run"));
    QFile::setPermissions(folder() + QStringLiteral("/run"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

KeyringSandbox::~KeyringSandbox()
{
    stopKeyring();
    QDBusConnection::disconnectFromBus(folder());
    m_bus.terminate();
    if (!m_bus.waitForFinished(3000))
        m_bus.kill();
}

bool KeyringSandbox::startBus(const QString &secretsExec)
{
    m_secretsExec = secretsExec;
    if (!writeConfig({}))
        return false;
    m_bus.start(QStringLiteral("dbus-daemon"),
                {QStringLiteral("--config-file=") + folder() + QStringLiteral("/bus.conf"),
                 QStringLiteral("--nofork"), QStringLiteral("--print-address")});
    if (m_bus.waitForStarted(5000) && m_bus.waitForReadyRead(5000))
        m_busAddress = QString::fromUtf8(m_bus.readLine().trimmed());
    return !m_busAddress.isEmpty() && QDBusConnection::connectToBus(m_busAddress, folder()).isConnected();
}

bool KeyringSandbox::startKeyring(bool unlocked)
{
    stopKeyring();
    m_keyring = std::make_unique<QProcess>();
    QProcessEnvironment env = onBus(m_busAddress);
    env.insert(QStringLiteral("XDG_DATA_HOME"), folder() + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder() + QStringLiteral("/run"));
    m_keyring->setProcessEnvironment(env);
    QStringList arguments{QStringLiteral("--foreground"), QStringLiteral("--components=secrets")};
    if (unlocked)
        arguments << QStringLiteral("--unlock");
    m_keyring->start(QStringLiteral("gnome-keyring-daemon"), arguments);
    if (!m_keyring->waitForStarted(5000))
        return false;
    if (unlocked) {
        m_keyring->write("x"); // the keyring password, read until end of input
        m_keyring->waitForBytesWritten(3000);
    }
    m_keyring->closeWriteChannel();
    // Ready once it owns the Secret Service's name.
    for (QDeadlineTimer deadline(5000); !deadline.hasExpired(); QThread::msleep(50)) {
        if (QDBusConnection(folder()).interface()->isServiceRegistered(
                QStringLiteral("org.freedesktop.secrets")))
            return true;
    }
    qWarning().noquote() << "gnome-keyring-daemon:" << m_keyring->readAllStandardError();
    return false;
}

void KeyringSandbox::stopKeyring()
{
    if (!m_keyring)
        return;
    ::kill(pid_t(m_keyring->processId()), SIGCONT); // a test may have left it stopped
    m_keyring->terminate();
    if (!m_keyring->waitForFinished(3000))
        m_keyring->kill();
    m_keyring.reset();
}

bool KeyringSandbox::refuse(const QString &interface, const QString &member)
{
    const QByteArray rule = member.isEmpty() ? QByteArray()
                                             : "<deny send_interface=\"" + interface.toUtf8() +
                                                   "\" send_member=\"" + member.toUtf8() + "\"/>";
    return writeConfig(rule) &&
           QDBusConnection(folder())
                   .call(QDBusMessage::createMethodCall(
                       QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                       QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ReloadConfig")))
                   .type() == QDBusMessage::ReplyMessage;
}

bool KeyringSandbox::writeConfig(const QByteArray &rule)
{
    QByteArray services;
    if (!m_secretsExec.isEmpty()) {
        QDir(folder()).mkpath(QStringLiteral("services"));
        QFile service(folder() + QStringLiteral("/services/org.freedesktop.secrets.service"));
        if (!service.open(QIODevice::WriteOnly))
            return false;
        service.write("[D-BUS Service]\nName=org.freedesktop.secrets\nExec=" + m_secretsExec.toUtf8() + '\n');
        services = "<servicedir>" + folder().toUtf8() + "/services</servicedir>";
    }
    QFile file(folder() + QStringLiteral("/bus.conf"));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write("<busconfig><type>session</type><listen>unix:dir=" + folder().toUtf8() +
               "</listen><auth>EXTERNAL</auth>" + services +
               "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
               "<allow eavesdrop=\"true\"/><allow own=\"*\"/>" +
               rule + "</policy></busconfig>\n");
    return file.error() == QFileDevice::NoError;
}

} // namespace norvane::test
