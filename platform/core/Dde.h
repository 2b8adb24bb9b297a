// DDE: the frames that carry a conversation's transactions between two copies of the program, and the
// server conversations that answer them.
//
// A frame is the tag "\xFF" "KDE", a little-endian 32-bit length of what follows, then the kind (one
// byte), the topic (a one-byte length and its bytes) and the text (the rest). The tag cannot begin
// the older fixed packet, whose first word is a window message below 0x10000. A server conversation
// registers under its topic; executed macros wait in one queue and run one at a time, each after the
// one before it has wholly ended, and none while a modal question is open, so a macro never runs
// inside another one's or the user's question.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

#include "platform/core/Classes.h"

// Post is an execute whose sender does not wait for the macro to run: it is acknowledged once queued.
enum class TDdeKind : uint8_t { Execute = 1, Poke = 2, Request = 3, Post = 4, Ack = 0x10, Nack = 0x11 };

struct TDdeFrame {
    TDdeKind Kind = TDdeKind::Execute;
    std::string Topic;
    std::string Text;
    bool operator==(const TDdeFrame&) const = default;
};

inline constexpr char kDdeFrameTag[4] = {'\xFF', 'K', 'D', 'E'};
// A frame's length word counts at most this many bytes; a longer one is refused unread.
inline constexpr size_t kDdeMaxFrameLength = 64 * 1024;

enum class TDdeDecode { Complete, Incomplete, Malformed };

// The frame's bytes; raises Exception when its topic or text would not fit the limits.
std::string EncodeDdeFrame(const TDdeFrame& frame);
// Reads one frame from the front of `bytes`. Complete sets `frame` and `consumed`; Incomplete asks for
// more bytes; Malformed (no tag, a length over the limit, an unknown kind, a topic past the end) means
// the sender is not to be trusted further.
TDdeDecode DecodeDdeFrame(std::string_view bytes, TDdeFrame& frame, size_t& consumed);
// Whether `bytes` (possibly still short) can be the start of a frame rather than of the older packet.
bool MayStartDdeFrame(std::string_view bytes);

// The lines of an executed macro text, split at CR LF, LF or CR; a break at the end makes no empty line.
TStringList SplitMacroLines(std::string_view text);

class TDdeServerConv;

// The program's DDE server: the registered conversations and the queue of executed macros.
class TDdeServer {
public:
    // Runs `work` later from the event loop; the server calls nothing from inside Receive.
    using TPost = std::function<void(std::function<void()> work)>;
    // Called once the transaction has been handled: true acknowledges it, false refuses it.
    using TReply = std::function<void(bool accepted)>;

    static TDdeServer& Instance();

    void SetPost(TPost post) { FPost = std::move(post); }
    // Whether the waiting macros are held because a question is open (TMacroHold).
    bool Held() const { return FHolds > 0; }
    // An execute on a registered topic (topics compare without case) is queued and acknowledged after
    // it ran, a post is queued and acknowledged at once; anything else is refused at once.
    void Receive(const TDdeFrame& frame, TReply reply);
    // Macros waiting, the one running included.
    size_t Pending() const { return FQueue.size() + (FRunning ? 1 : 0); }
    bool Running() const { return FRunning; }

private:
    friend class TDdeServerConv;
    friend class TMacroHold;
    struct TQueued {
        std::string Topic;
        std::string Text;
        TReply Reply;
    };
    TDdeServerConv* find(const std::string& topic) const;
    void schedule();
    void runNext();

    std::vector<TDdeServerConv*> FConversations;
    std::deque<TQueued> FQueue;
    TPost FPost;
    int FHolds = 0;
    bool FRunning = false;
    bool FScheduled = false;
};

// Held while a question waits for the user's answer: a macro run meanwhile could change what the
// question is about (open another document, close the one asked about), so macros wait for the answer.
class TMacroHold {
public:
    TMacroHold() { ++TDdeServer::Instance().FHolds; }
    ~TMacroHold()
    {
        TDdeServer& server = TDdeServer::Instance();
        if (--server.FHolds == 0)
            server.schedule();
    }
    TMacroHold(const TMacroHold&) = delete;
    TMacroHold& operator=(const TMacroHold&) = delete;
};

// A server conversation: registered under its name (the topic) while it lives.
class TDdeServerConv {
public:
    using TExecuteMacro = std::function<void(TDdeServerConv* sender, const TStringList& macro)>;

    explicit TDdeServerConv(std::string name);
    virtual ~TDdeServerConv();
    TDdeServerConv(const TDdeServerConv&) = delete;
    TDdeServerConv& operator=(const TDdeServerConv&) = delete;

    const std::string& Name() const { return FName; }
    TExecuteMacro OnExecuteMacro;

    // Runs a macro text as the server does: split into lines (CR LF, LF or CR), handed to
    // OnExecuteMacro; false when no handler is set.
    bool ExecuteMacro(const std::string& text);

private:
    std::string FName;
};
