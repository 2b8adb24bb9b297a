// Tests of the DDE frames and of the server's macro queue: frames survive the trip, no reader is fooled by a short or lying frame, and macros run one at a time.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/core/Dde.h"

TEST(DdeFrame, FramesComeBackWholeAndEveryShortPrefixAsksForMore)
{
    std::mt19937 random(7);
    const TDdeKind kinds[] = {TDdeKind::Execute, TDdeKind::Poke, TDdeKind::Request, TDdeKind::Post, TDdeKind::Ack, TDdeKind::Nack};
    for (int round = 0; round < 200; ++round) {
        TDdeFrame frame;
        frame.Kind = kinds[random() % 5];
        frame.Topic = std::string(random() % 12, 'a' + static_cast<char>(random() % 26));
        for (size_t n = random() % 300; n > 0; --n)
            frame.Text += static_cast<char>(random() % 256);
        const std::string bytes = EncodeDdeFrame(frame);
        // A following frame's bytes are left where they are.
        const std::string two = bytes + EncodeDdeFrame({TDdeKind::Ack, "x", "y"});
        TDdeFrame read;
        size_t consumed = 0;
        ASSERT_EQ(DecodeDdeFrame(two, read, consumed), TDdeDecode::Complete);
        EXPECT_EQ(read, frame);
        EXPECT_EQ(consumed, bytes.size());
        for (size_t cut = 0; cut < bytes.size(); ++cut) {
            EXPECT_TRUE(MayStartDdeFrame(bytes.substr(0, cut)));
            EXPECT_EQ(DecodeDdeFrame(bytes.substr(0, cut), read, consumed), TDdeDecode::Incomplete) << cut;
        }
    }
}

TEST(DdeFrame, LiesAndStrangersAreRefusedBeforeAnythingIsWaitedFor)
{
    TDdeFrame read;
    size_t consumed = 0;
    // The older window-message packet never starts like a frame.
    const std::string packet("\x00\x14\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00", 12);
    EXPECT_FALSE(MayStartDdeFrame(packet));
    EXPECT_EQ(DecodeDdeFrame(packet, read, consumed), TDdeDecode::Malformed);
    const std::string tag(kDdeFrameTag, 4);
    auto withLength = [&](uint32_t length, const std::string& body) {
        std::string bytes = tag;
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>((length >> (8 * i)) & 0xFF);
        return bytes + body;
    };
    // A length over the limit is refused from the header alone.
    EXPECT_EQ(DecodeDdeFrame(withLength(kDdeMaxFrameLength + 1, ""), read, consumed), TDdeDecode::Malformed);
    EXPECT_EQ(DecodeDdeFrame(withLength(0xFFFFFFFF, ""), read, consumed), TDdeDecode::Malformed);
    EXPECT_EQ(DecodeDdeFrame(withLength(1, "\x01"), read, consumed), TDdeDecode::Malformed);
    // An unknown kind, and a topic longer than the frame.
    EXPECT_EQ(DecodeDdeFrame(withLength(2, std::string("\x07\x00", 2)), read, consumed), TDdeDecode::Malformed);
    EXPECT_EQ(DecodeDdeFrame(withLength(4, std::string("\x01\x05" "ab", 4)), read, consumed), TDdeDecode::Malformed);
    EXPECT_EQ(DecodeDdeFrame(withLength(4, std::string("\x01\x02" "ab", 4)), read, consumed), TDdeDecode::Complete);
    EXPECT_EQ(read, (TDdeFrame{TDdeKind::Execute, "ab", ""}));
    // What cannot travel is not written.
    EXPECT_THROW(EncodeDdeFrame({TDdeKind::Execute, std::string(256, 't'), ""}), Exception);
    EXPECT_THROW(EncodeDdeFrame({TDdeKind::Execute, "system", std::string(kDdeMaxFrameLength, 'm')}), Exception);
}

namespace {

// A server whose posted work waits in a list until the test runs it.
struct TPostedServer {
    std::vector<std::function<void()>> posted;
    TPostedServer()
    {
        TDdeServer::Instance().SetPost([this](std::function<void()> work) { posted.push_back(std::move(work)); });
    }
    ~TPostedServer() { TDdeServer::Instance().SetPost({}); }
    void runPosted()
    {
        while (!posted.empty()) {
            auto work = std::move(posted.front());
            posted.erase(posted.begin());
            work();
        }
    }
};

} // namespace

TEST(DdeServer, MacrosRunOneAtATimeInOrderAndAreAnsweredAfterTheyRan)
{
    TPostedServer server;
    TDdeServer& dde = TDdeServer::Instance();
    std::vector<std::string> log;
    TDdeServerConv system("system");
    TDdeServerConv* nested = nullptr;
    system.OnExecuteMacro = [&](TDdeServerConv* sender, const TStringList& macro) {
        EXPECT_EQ(sender, &system);
        for (int i = 0; i < macro.Count(); ++i)
            log.push_back(macro[i]);
        // A macro that arrives while one runs (inside its modal question) waits for it, even when
        // the event loop turns meanwhile.
        if (macro.Count() && macro[0] == "ask") {
            dde.Receive({TDdeKind::Execute, "system", "later"}, [&](bool ok) { log.push_back(ok ? "ack later" : "nack later"); });
            server.runPosted();
            log.push_back("answered");
        }
        nested = sender;
    };
    auto replyTo = [&](const char* name) { return [&log, name](bool ok) { log.push_back((ok ? "ack " : "nack ") + std::string(name)); }; };

    // Other kinds and topics are refused at once; topics compare without case.
    dde.Receive({TDdeKind::Poke, "system", "x"}, replyTo("poke"));
    dde.Receive({TDdeKind::Request, "system", "x"}, replyTo("request"));
    dde.Receive({TDdeKind::Execute, "other", "x"}, replyTo("other"));
    EXPECT_EQ(log, (std::vector<std::string>{"nack poke", "nack request", "nack other"}));
    log.clear();

    dde.Receive({TDdeKind::Execute, "SYSTEM", "a\r\nb\nc\rd"}, replyTo("first"));
    dde.Receive({TDdeKind::Execute, "system", "ask"}, replyTo("second"));
    // Nothing runs inside Receive.
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(dde.Pending(), 2u);
    server.runPosted();
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "c", "d", "ack first", "ask", "answered", "ack second",
                                             "later", "ack later"}));
    EXPECT_EQ(dde.Pending(), 0u);
    EXPECT_EQ(nested, &system);

    // A handler that throws leaves the queue working and the sender refused.
    log.clear();
    system.OnExecuteMacro = [&](TDdeServerConv*, const TStringList& macro) {
        if (macro[0] == "bad")
            throw Exception("bad");
        log.push_back(macro[0]);
    };
    dde.Receive({TDdeKind::Execute, "system", "bad"}, replyTo("bad"));
    dde.Receive({TDdeKind::Execute, "system", "good"}, replyTo("good"));
    EXPECT_THROW(server.runPosted(), Exception);
    EXPECT_FALSE(dde.Running());
    server.runPosted();
    EXPECT_EQ(log, (std::vector<std::string>{"nack bad", "good", "ack good"}));
}

TEST(DdeServer, AConversationGoneBeforeItsMacroRanRefusesIt)
{
    TPostedServer server;
    std::vector<bool> replies;
    {
        TDdeServerConv gone("gone");
        gone.OnExecuteMacro = [](TDdeServerConv*, const TStringList&) { FAIL(); };
        TDdeServer::Instance().Receive({TDdeKind::Execute, "gone", "x"}, [&](bool ok) { replies.push_back(ok); });
    }
    server.runPosted();
    EXPECT_EQ(replies, std::vector<bool>{false});
}

TEST(DdeServer, APostIsAnsweredOnceQueuedAndNoMacroRunsWhileAQuestionIsOpen)
{
    TPostedServer server;
    TDdeServer& dde = TDdeServer::Instance();
    std::vector<std::string> log;
    TDdeServerConv system("system");
    system.OnExecuteMacro = [&](TDdeServerConv*, const TStringList& macro) { log.push_back(macro[0]); };
    auto replyTo = [&](const char* name) { return [&log, name](bool ok) { log.push_back((ok ? "ack " : "nack ") + std::string(name)); }; };
    {
        TMacroHold question;
        {
            TMacroHold nested;
            dde.Receive({TDdeKind::Post, "System", "posted"}, replyTo("post"));
            dde.Receive({TDdeKind::Execute, "system", "executed"}, replyTo("execute"));
            dde.Receive({TDdeKind::Post, "other", "x"}, replyTo("other"));
            server.runPosted();
        }
        server.runPosted();
        // The post is taken at once, the execute waits for its run; neither runs before the answer.
        EXPECT_EQ(log, (std::vector<std::string>{"ack post", "nack other"}));
        EXPECT_TRUE(dde.Held());
        EXPECT_EQ(dde.Pending(), 2u);
    }
    EXPECT_FALSE(dde.Held());
    server.runPosted();
    EXPECT_EQ(log, (std::vector<std::string>{"ack post", "nack other", "posted", "executed", "ack execute"}));
    EXPECT_EQ(dde.Pending(), 0u);
}
