#include "reelvane/tasks/desktop_session.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QVariantMap>

namespace reelvane {
namespace {

constexpr int kCallTimeoutMs = 2000;
const QString kApplication = QStringLiteral("Reelvane");
const QString kScreenSaver = QStringLiteral("org.freedesktop.ScreenSaver");

QDBusMessage Call(const QDBusConnection& bus, const QString& service, const QString& path, const QString& interface,
                  const QString& method, const QVariantList& arguments)
{
    if (!bus.isConnected())
        return {};
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, kCallTimeoutMs);
}

} // namespace

SleepInhibitor::SleepInhibitor(const QString& reason)
{
    QDBusMessage logind =
        Call(QDBusConnection::systemBus(), QStringLiteral("org.freedesktop.login1"),
             QStringLiteral("/org/freedesktop/login1"), QStringLiteral("org.freedesktop.login1.Manager"),
             QStringLiteral("Inhibit"), {QStringLiteral("sleep:idle"), kApplication, reason, QStringLiteral("block")});
    if (logind.type() == QDBusMessage::ReplyMessage && !logind.arguments().isEmpty())
        lock_ = qvariant_cast<QDBusUnixFileDescriptor>(logind.arguments().first());

    QDBusMessage saver =
        Call(QDBusConnection::sessionBus(), kScreenSaver, QStringLiteral("/org/freedesktop/ScreenSaver"), kScreenSaver,
             QStringLiteral("Inhibit"), {kApplication, reason});
    if (saver.type() == QDBusMessage::ReplyMessage && !saver.arguments().isEmpty())
        cookie_ = saver.arguments().first().toUInt();
}

SleepInhibitor::~SleepInhibitor()
{
    if (cookie_ != 0)
        Call(QDBusConnection::sessionBus(), kScreenSaver, QStringLiteral("/org/freedesktop/ScreenSaver"), kScreenSaver,
             QStringLiteral("UnInhibit"), {cookie_});
}

bool NotifyDesktop(const QString& summary, const QString& body)
{
    QDBusMessage reply =
        Call(QDBusConnection::sessionBus(), QStringLiteral("org.freedesktop.Notifications"),
             QStringLiteral("/org/freedesktop/Notifications"), QStringLiteral("org.freedesktop.Notifications"),
             QStringLiteral("Notify"),
             {kApplication, 0u, QStringLiteral("video-x-generic"), summary, body, QStringList(), QVariantMap(), -1});
    return reply.type() == QDBusMessage::ReplyMessage;
}

} // namespace reelvane
