// DDE: the frames that carry a conversation's transactions between two copies of the program, and the
// server conversations that answer them.
#include "platform/core/Dde.h"

#include <algorithm>

#include "platform/core/Exception.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr size_t kTagSize = sizeof kDdeFrameTag;
constexpr size_t kHeaderSize = kTagSize + 4;

bool knownKind(uint8_t kind)
{
    switch (static_cast<TDdeKind>(kind)) {
    case TDdeKind::Execute:
    case TDdeKind::Poke:
    case TDdeKind::Request:
    case TDdeKind::Post:
    case TDdeKind::Ack:
    case TDdeKind::Nack:
        return true;
    }
    return false;
}

} // namespace

std::string EncodeDdeFrame(const TDdeFrame& frame)
{
    const size_t length = 2 + frame.Topic.size() + frame.Text.size();
    if (frame.Topic.size() > 255 || length > kDdeMaxFrameLength)
        throw Exception("DDE frame too long");
    std::string bytes(kDdeFrameTag, kTagSize);
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((length >> (8 * i)) & 0xFF);
    bytes += static_cast<char>(frame.Kind);
    bytes += static_cast<char>(frame.Topic.size());
    bytes += frame.Topic;
    bytes += frame.Text;
    return bytes;
}

bool MayStartDdeFrame(std::string_view bytes)
{
    const size_t n = std::min(bytes.size(), kTagSize);
    return std::equal(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n), kDdeFrameTag);
}

TDdeDecode DecodeDdeFrame(std::string_view bytes, TDdeFrame& frame, size_t& consumed)
{
    if (!MayStartDdeFrame(bytes))
        return TDdeDecode::Malformed;
    if (bytes.size() < kHeaderSize)
        return TDdeDecode::Incomplete;
    size_t length = 0;
    for (size_t i = 0; i < 4; ++i)
        length |= static_cast<size_t>(static_cast<unsigned char>(bytes[kTagSize + i])) << (8 * i);
    // The length is judged before any of its bytes are waited for, so a liar cannot make us buffer.
    if (length < 2 || length > kDdeMaxFrameLength)
        return TDdeDecode::Malformed;
    if (bytes.size() - kHeaderSize < length)
        return TDdeDecode::Incomplete;
    const std::string_view body = bytes.substr(kHeaderSize, length);
    const auto kind = static_cast<uint8_t>(body[0]);
    const size_t topicSize = static_cast<unsigned char>(body[1]);
    if (!knownKind(kind) || topicSize > body.size() - 2)
        return TDdeDecode::Malformed;
    frame.Kind = static_cast<TDdeKind>(kind);
    frame.Topic.assign(body.substr(2, topicSize));
    frame.Text.assign(body.substr(2 + topicSize));
    consumed = kHeaderSize + length;
    return TDdeDecode::Complete;
}

// ---------------------------------------------------------------- the server

TDdeServer& TDdeServer::Instance()
{
    static TDdeServer server;
    return server;
}

TDdeServerConv* TDdeServer::find(const std::string& topic) const
{
    for (TDdeServerConv* conversation : FConversations)
        if (SameText(conversation->Name(), topic))
            return conversation;
    return nullptr;
}

void TDdeServer::Receive(const TDdeFrame& frame, TReply reply)
{
    const bool post = frame.Kind == TDdeKind::Post;
    if ((frame.Kind != TDdeKind::Execute && !post) || !find(frame.Topic)) {
        if (reply)
            reply(false);
        return;
    }
    FQueue.push_back({frame.Topic, frame.Text, post ? nullptr : std::move(reply)});
    if (post && reply)
        reply(true);
    schedule();
}

void TDdeServer::schedule()
{
    if (FRunning || FScheduled || FQueue.empty() || Held())
        return;
    if (!FPost) {
        runNext();
        return;
    }
    FScheduled = true;
    FPost([this] {
        FScheduled = false;
        runNext();
    });
}

void TDdeServer::runNext()
{
    // A question may have opened since the run was posted; its end schedules the queue again.
    if (FRunning || FQueue.empty() || Held())
        return;
    TQueued macro = std::move(FQueue.front());
    FQueue.pop_front();
    FRunning = true;
    // The next macro waits for this one to end, also when it ends by an exception.
    TScopeGuard running([this] {
        FRunning = false;
        schedule();
    });
    // A conversation gone since the macro arrived refuses it, as one never registered would.
    TDdeServerConv* conversation = find(macro.Topic);
    bool accepted = false;
    try {
        accepted = conversation && conversation->ExecuteMacro(macro.Text);
    } catch (...) {
        if (macro.Reply)
            macro.Reply(false);
        throw;
    }
    if (macro.Reply)
        macro.Reply(accepted);
}

// ---------------------------------------------------------------- conversations

TStringList SplitMacroLines(std::string_view text)
{
    TStringList lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        lines.Add(std::string(text.substr(start, end - start)));
        start = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
    }
    return lines;
}

TDdeServerConv::TDdeServerConv(std::string name) : FName(std::move(name))
{
    TDdeServer::Instance().FConversations.push_back(this);
}

TDdeServerConv::~TDdeServerConv()
{
    auto& conversations = TDdeServer::Instance().FConversations;
    conversations.erase(std::remove(conversations.begin(), conversations.end(), this), conversations.end());
}

bool TDdeServerConv::ExecuteMacro(const std::string& text)
{
    if (!OnExecuteMacro)
        return false;
    OnExecuteMacro(this, SplitMacroLines(text));
    return true;
}
