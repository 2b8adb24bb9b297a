// TSingleInstance: keeps one running copy of the program per user, and carries a second start's message to it.
#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <unistd.h>

#include "platform/Win1252Qt.h"
#include "platform/core/Registry.h"

namespace {

// A message travels as three little-endian 32-bit words: the message and its two parameters.
constexpr int kPacketSize = 12;

void putWord(char* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t getWord(const char* at)
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(static_cast<unsigned char>(at[i])) << (8 * i);
    return value;
}

} // namespace

TSingleInstance::TSingleInstance(const std::string& name, QObject* parent) : QObject(parent)
{
    // Copies that keep their settings in different stores (tests, a second profile) do not meet.
    const QByteArray store = QCryptographicHash::hash(QByteArray::fromStdString(RegistryStore::FileName()),
                                                      QCryptographicHash::Sha1).toHex().left(12);
    FServerName = QStringLiteral("%1-%2-%3").arg(FromWin1252(name)).arg(getuid()).arg(QString::fromLatin1(store));
    FLockName = QDir(QDir::tempPath()).filePath(FServerName + QStringLiteral(".lock"));
}

TSingleInstance::~TSingleInstance() = default;

bool TSingleInstance::IsListening() const
{
    return FServer && FServer->isListening();
}

bool TSingleInstance::Start(uint32_t message, int timeoutMs)
{
    // The lock holds from the look for a running copy until this one listens, so that of two copies
    // started together the second finds the first. A lock whose owner died is taken over; one that
    // cannot be had in time is done without rather than keeping the program from starting.
    QLockFile lock(FLockName);
    lock.tryLock(timeoutMs);

    QLocalSocket socket;
    socket.connectToServer(FServerName);
    if (socket.waitForConnected(timeoutMs)) {
        char packet[kPacketSize];
        putWord(packet, message);
        putWord(packet + 4, 0);
        putWord(packet + 8, 0);
        socket.write(packet, kPacketSize);
        socket.waitForBytesWritten(timeoutMs);
        socket.disconnectFromServer();
        if (socket.state() != QLocalSocket::UnconnectedState)
            socket.waitForDisconnected(timeoutMs);
        return false;
    }

    // Nobody answered: a socket file left by a killed copy is in the way of listening.
    QLocalServer::removeServer(FServerName);
    FServer = std::make_unique<QLocalServer>();
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(FServer.get(), &QLocalServer::newConnection, this, [this] { acceptConnections(); });
    // A copy that cannot listen still runs; later starts then run too.
    FServer->listen(FServerName);
    return true;
}

void TSingleInstance::acceptConnections()
{
    while (QLocalSocket* client = FServer->nextPendingConnection()) {
        QObject::connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        QObject::connect(client, &QLocalSocket::readyRead, this, [this, client] {
            // One message per connection; whatever else a client sends is dropped with it.
            if (client->bytesAvailable() < kPacketSize)
                return;
            char packet[kPacketSize];
            if (client->read(packet, kPacketSize) != kPacketSize)
                return;
            client->disconnect(this);
            client->abort();
            if (FOnMessage)
                FOnMessage(getWord(packet), getWord(packet + 4), getWord(packet + 8));
        });
    }
}
