// TSingleInstance: keeps one running copy of the program per user, and carries a second start's message to it.
#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QCoreApplication>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/HandlerCall.h"
#include "platform/FileNameQt.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Exception.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Registry.h"

namespace {

// A message travels as three little-endian 32-bit words: the message and its two parameters.
constexpr size_t kPacketSize = 12;
// A DDE frame with its header; a client that sends more in one connection is cut off.
constexpr size_t kMaxFrameBytes = kDdeMaxFrameLength + 8;

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

// The user at the other end of a connected local socket; -1 when the system does not say.
long peerUid(const QLocalSocket& socket)
{
    ucred credentials {};
    socklen_t size = sizeof credentials;
    const auto fd = static_cast<int>(socket.socketDescriptor());
    if (fd < 0 || getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 || size != sizeof credentials)
        return -1;
    return static_cast<long>(credentials.uid);
}

bool peerIsThisUser(const QLocalSocket& socket)
{
    return peerUid(socket) == static_cast<long>(geteuid());
}

} // namespace

TSingleInstance::TSingleInstance(const std::string& name, QObject* parent) : QObject(parent)
{
    // Copies that keep their settings in different stores (tests, a second profile) do not meet.
    const QByteArray store = QCryptographicHash::hash(QByteArray::fromStdString(RegistryStore::FileName()),
                                                      QCryptographicHash::Sha1).toHex().left(12);
    const QString file = QStringLiteral("%1-%2").arg(FromEditorText(name)).arg(QString::fromLatin1(store));
    // The socket lives where only this user may enter, so that nobody else can listen in its place
    // first and be handed the user's files. Without such a folder this copy runs on its own.
    try {
        FServerName = FromFilePath(PrivateRuntimeFolder()) + file;
        FLockName = FServerName + QStringLiteral(".lock");
    } catch (const Exception& error) {
        FServerName.clear();
        FNoSocketReason = error.Message();
    }
}

TSingleInstance::~TSingleInstance() = default;

bool TSingleInstance::IsListening() const
{
    return FServer && FServer->isListening();
}

bool TSingleInstance::Start(uint32_t message, int timeoutMs)
{
    if (Listen(timeoutMs))
        return true;
    Send(message, timeoutMs);
    return false;
}

bool TSingleInstance::Listen(int timeoutMs)
{
    if (FServerName.isEmpty())
        return true;
    // The lock holds from the look for a running copy until this one listens, so that of two copies
    // started together the second finds the first. A lock whose owner died is taken over; one that
    // cannot be had in time is done without rather than keeping the program from starting.
    QLockFile lock(FLockName);
    lock.tryLock(timeoutMs);

    {
        QLocalSocket socket;
        if (connectToRunningCopy(socket, timeoutMs)) {
            socket.disconnectFromServer();
            return false;
        }
    }

    // Nobody of this user answered: a socket file left by a killed copy, or one that another user
    // listens on, is in the way of listening.
    QLocalServer::removeServer(FServerName);
    FServer = std::make_unique<QLocalServer>();
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(FServer.get(), &QLocalServer::newConnection, this, [this] { acceptConnections(); });
    // A copy that cannot listen still runs; later starts then run too.
    FServer->listen(FServerName);
    return true;
}

bool TSingleInstance::connectToRunningCopy(QLocalSocket& socket, int timeoutMs) const
{
    if (FServerName.isEmpty())
        return false;
    socket.connectToServer(FServerName);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    // A listener of another user is no copy of ours, whatever its socket's name: it gets nothing.
    if (peerIsThisUser(socket))
        return true;
    socket.abort();
    return false;
}

bool TSingleInstance::Send(uint32_t message, int timeoutMs) const
{
    QLocalSocket socket;
    if (!connectToRunningCopy(socket, timeoutMs))
        return false;
    char packet[kPacketSize];
    putWord(packet, message);
    putWord(packet + 4, 0);
    putWord(packet + 8, 0);
    socket.write(packet, kPacketSize);
    const bool written = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return written;
}

int TSingleInstance::Execute(const TDdeFrame& frame, int timeoutMs) const
{
    QLocalSocket socket;
    if (!connectToRunningCopy(socket, timeoutMs))
        return -1;
    socket.write(QByteArray::fromStdString(EncodeDdeFrame(frame)));
    QElapsedTimer clock;
    clock.start();
    std::string answer;
    while (clock.elapsed() < timeoutMs) {
        if (!socket.bytesAvailable() && !socket.waitForReadyRead(static_cast<int>(timeoutMs - clock.elapsed()))) {
            if (socket.state() == QLocalSocket::UnconnectedState && !socket.bytesAvailable())
                return -2;
            break;
        }
        answer += socket.readAll().toStdString();
        TDdeFrame reply;
        size_t consumed = 0;
        switch (DecodeDdeFrame(answer, reply, consumed)) {
        case TDdeDecode::Complete:
            return reply.Kind == TDdeKind::Ack ? 1 : 0;
        case TDdeDecode::Malformed:
            return -1;
        case TDdeDecode::Incomplete:
            break;
        }
    }
    return -1;
}

void TSingleInstance::ServeDde()
{
    TDdeServer::Instance().SetPost([](std::function<void()> work) {
        QTimer::singleShot(0, qApp, [work = std::move(work)] { CallHandler(nullptr, work); });
    });
    SetOnFrame([](const TDdeFrame& frame, TDdeServer::TReply reply) {
        TDdeServer::Instance().Receive(frame, std::move(reply));
    });
}

void TSingleInstance::acceptConnections()
{
    while (QLocalSocket* client = FServer->nextPendingConnection()) {
        QObject::connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        // Only this user's own programs may hand us files and macros.
        if (!peerIsThisUser(*client)) {
            client->abort();
            continue;
        }
        auto buffer = std::make_shared<std::string>();
        QObject::connect(client, &QLocalSocket::readyRead, this, [this, client, buffer] {
            // One message per connection; whatever else a client sends is dropped with it.
            if (buffer->size() + static_cast<size_t>(client->bytesAvailable()) > kMaxFrameBytes) {
                client->abort();
                return;
            }
            *buffer += client->readAll().toStdString();
            if (MayStartDdeFrame(*buffer)) {
                TDdeFrame frame;
                size_t consumed = 0;
                const TDdeDecode state = DecodeDdeFrame(*buffer, frame, consumed);
                if (state == TDdeDecode::Incomplete)
                    return;
                client->disconnect(this);
                if (state == TDdeDecode::Malformed || !FOnFrame) {
                    client->abort();
                    return;
                }
                // The answer goes back once the frame is handled; a sender gone by then gets none.
                QPointer<QLocalSocket> sender(client);
                FOnFrame(frame, [sender](bool accepted) {
                    if (!sender || sender->state() != QLocalSocket::ConnectedState)
                        return;
                    sender->write(QByteArray::fromStdString(
                        EncodeDdeFrame({accepted ? TDdeKind::Ack : TDdeKind::Nack, {}, {}})));
                    sender->flush();
                    sender->disconnectFromServer();
                });
                return;
            }
            if (buffer->size() < kPacketSize)
                return;
            client->disconnect(this);
            client->abort();
            if (FOnMessage)
                FOnMessage(getWord(buffer->data()), getWord(buffer->data() + 4), getWord(buffer->data() + 8));
        });
    }
}
