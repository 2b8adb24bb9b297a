// TSingleInstance: keeps one running copy of the program per user, and carries a second start's message to it.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/core/Dde.h"

class QLocalServer;
class QLocalSocket;
class QLockFile;

// The first copy listens on a local socket named for the program and the settings folder, in the
// user's private runtime folder; a later start finds it, sends it one message (a window message, or a
// DDE frame that is answered) and ends. A lock file around the look and the start of listening makes
// two quick starts end with one listener. A socket or lock left by a killed copy is taken over. Both
// ends ask the system who is at the other end: a listener of another user is no running copy (it is
// never sent anything, and this copy listens in its place), and a client of another user is cut off.
class TSingleInstance : public QObject {
public:
    // `name` names the program; the user and the settings store are added to it.
    explicit TSingleInstance(const std::string& name, QObject* parent = nullptr);
    ~TSingleInstance() override;

    // True when this is the first copy: it now listens and receives messages. False when another
    // copy runs: `message` (with both parameters 0) has been delivered to it, or could not be in
    // `timeoutMs`.
    bool Start(uint32_t message, int timeoutMs = 3000);
    // True when this is the first copy and now listens; false when another copy answered (nothing has
    // been sent to it).
    bool Listen(int timeoutMs = 3000);
    // Sends `message` (with both parameters 0) to the running copy; false when none took it.
    bool Send(uint32_t message, int timeoutMs = 3000) const;
    // Sends a DDE frame to the running copy and waits for its answer: 1 acknowledged, 0 refused, -1 no
    // copy or no answer within `timeoutMs`, -2 the copy closed the connection unanswered (a copy that
    // does not know the frame's kind).
    int Execute(const TDdeFrame& frame, int timeoutMs) const;
    // Handler of the messages that later starts send; runs on the event loop of this object's thread.
    void SetOnMessage(std::function<void(uint32_t message, uint32_t wParam, uint32_t lParam)> handler)
    {
        FOnMessage = std::move(handler);
    }
    // Handler of the DDE frames that later starts send: `reply` answers the sender, now or later.
    void SetOnFrame(std::function<void(const TDdeFrame& frame, TDdeServer::TReply reply)> handler)
    {
        FOnFrame = std::move(handler);
    }
    // Hands the frames that reach this copy to the program's DDE server, whose macros then run from the
    // event loop, one at a time, with an exception shown to the user.
    void ServeDde();
    // The socket's full path; empty when the user has no private folder (this copy then runs alone).
    const QString& ServerName() const { return FServerName; }
    bool IsListening() const;
    // Why this copy has no socket (the private folder's complaint, Windows-1252); empty when it has one.
    const std::string& NoSocketReason() const { return FNoSocketReason; }

private:
    void acceptConnections();
    // Connects `socket` to a copy of this user's; false when none listens or the listener is not ours.
    bool connectToRunningCopy(QLocalSocket& socket, int timeoutMs) const;

    QString FServerName;
    QString FLockName;
    std::string FNoSocketReason;
    std::unique_ptr<QLocalServer> FServer;
    std::function<void(uint32_t, uint32_t, uint32_t)> FOnMessage;
    std::function<void(const TDdeFrame&, TDdeServer::TReply)> FOnFrame;
};
