/** @file The translation link: helper start, bounded connect, request bytes, and replies however the stream is cut. */
#include "tests/data/language_test_fixture.h"

#include "tests/support/fake_translation_helper.h"

#include "platform/instance/named_instance.h"
#include "platform/net/tcp_socket.h"

#include <chrono>
#include <climits>
#include <thread>

namespace {

using formats::Bytes;
using testsupport::FakeTranslationHelper;
using Link = LanguageTranslationServer;

struct Reply {
    void* userData;
    int32_t value;
    std::u16string prefix;
    std::u16string text;
};

std::vector<Reply>& replies()
{
    static std::vector<Reply> r;
    return r;
}

void recordReply(void* userData, int32_t value, const WideChar* prefix, const WideChar* text)
{
    replies().push_back({userData, value, prefix ? prefix : u"<none>", text});
}

/** The bytes of a request from deu (id 7) to enu (id 101); both codes end in 'u'. */
std::vector<uint8_t> germanToEnglishRequest(int32_t id, const std::u16string& text)
{
    return FakeTranslationHelper::encodeRequest(static_cast<uint32_t>(id), 'u' << 16 | 7, 'u' << 16 | 101, text);
}

class TranslationLinkTest : public testsupport::LanguageTest {
protected:
    TranslationLinkTest() { replies().clear(); }
    ~TranslationLinkTest() override { Link::setSocketFactory(nullptr); }

    /** Starts languages (which installs the link) with the link enabled on the given port. */
    void start(uint16_t port, uint32_t address = Link::kLocalHost)
    {
        writeStandardCodes();
        Link::enable();
        Link::setPort(port);
        Link::setIPAddress(address);
        LanguageManager::startup();
    }

    /** Sockets come from here: fakes the test can script; the test keeps a view of each one. */
    void useFakeSockets(std::vector<platform::NetStatus> connectScript = {})
    {
        Link::setSocketFactory([this, connectScript] {
            auto socket = std::make_unique<platform::FakeTcpSocket>();
            socket->scriptConnect(connectScript);
            fakes_.push_back(socket.get());
            return socket;
        });
    }

    /** Runs update passes until the condition holds; real time bounds it because the peer is real. */
    static bool pumpUntil(const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            Link::Packet::update();
            std::this_thread::yield();
        }
        return true;
    }

    std::vector<platform::FakeTcpSocket*> fakes_; // owned by the link
};

TEST_F(TranslationLinkTest, InstallStartsTheHelperWithDefaultsAndConnects)
{
    useFakeSockets();
    start(0);
    EXPECT_TRUE(Link::isInstalled());
    EXPECT_TRUE(Link::isStarted());
    EXPECT_TRUE(Link::isConnected());
    EXPECT_EQ(Link::address(), 0x7F000001u);
    EXPECT_EQ(Link::port(), 28888);
    EXPECT_STREQ(Link::translatorName(), "Lexara");
    EXPECT_STREQ(Link::userLanguageCode(), "enu");

    const auto spawns = platform_.processes().spawns();
    ASSERT_EQ(spawns.size(), 1u);
    EXPECT_EQ(spawns[0].argv, (std::vector<std::string>{hd_ + "TranServ.exe", "-p=28888", "-d=" + hd_}));
    EXPECT_EQ(spawns[0].workingDirectory, hd_);
    ASSERT_EQ(fakes_.size(), 1u);
    EXPECT_EQ(fakes_[0]->lastPort(), 28888);

    const int64_t id = *spawns[0].id;
    EXPECT_TRUE(platform_.processes().isRunning(id));
    LanguageManager::shutdown(); // uninstalls the link and ends the helper it started
    EXPECT_FALSE(Link::isInstalled());
    EXPECT_FALSE(platform_.processes().isRunning(id));
}

TEST_F(TranslationLinkTest, HelperThatCannotRunOrRunsAlreadyOrIsRemote)
{
    struct Case {
        const char* name;
        bool helperRunning;
        bool spawnFails;
        uint32_t address;
        bool started;
        size_t spawns;
        size_t boxes;
    };
    const Case cases[] = {
        {"helper already running", true, false, Link::kLocalHost, true, 0, 0},
        {"helper cannot start", false, true, Link::kLocalHost, false, 1, 0},
        {"remote address", false, false, 0x0A000001, false, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        useFakeSockets();
        fakes_.clear();
        std::unique_ptr<platform::NamedInstance> helper;
        if (c.helperRunning)
            helper = platform::NamedInstance::create(Link::kInstanceName, nullptr);
        platform::FakeProcessLauncher launcher;
        launcher.setSpawnFails(c.spawnFails);
        platform::ProcessLauncher* previous = platform_.platform().processes;
        platform_.platform().processes = &launcher;
        sandbox_.boxes().clear();

        start(1234, c.address);
        EXPECT_EQ(Link::isStarted(), c.started);
        EXPECT_FALSE(Link::isConnected());
        EXPECT_TRUE(fakes_.empty());
        EXPECT_EQ(launcher.spawns().size(), c.spawns);
        EXPECT_EQ(sandbox_.boxes().count(), c.boxes);
        if (c.boxes) {
            EXPECT_EQ(sandbox_.boxes().boxes()[0].caption, "LanguageTranslationServer::install:");
        }
        ASSERT_TRUE(Link::setSourceLanguage("deu"));
        // With the helper somebody else started, requests are recorded but never sent.
        EXPECT_EQ(Link::Packet::request(nullptr, u"hallo", recordReply, nullptr, 0) > 0, c.started);
        EXPECT_EQ(Link::pendingCount(), c.started ? 1u : 0u);

        LanguageManager::shutdown();
        Link::resetForTests();
        platform_.platform().processes = previous;
    }
}

TEST_F(TranslationLinkTest, RequestsNeedAnotherSourceLanguageAndGoOutAsLittleEndianRecords)
{
    useFakeSockets();
    start(0);
    EXPECT_EQ(Link::Packet::request(nullptr, u"x", recordReply, nullptr, 0), -1); // no source language yet

    struct SourceCase {
        const char* code;
        bool accepted;
    };
    for (const SourceCase& c : {SourceCase{nullptr, false}, SourceCase{"", false}, SourceCase{"ENU", false},
                                SourceCase{"eng", false}, SourceCase{"deu", true}})
        EXPECT_EQ(Link::setSourceLanguage(c.code), c.accepted) << (c.code ? c.code : "null");

    EXPECT_EQ(Link::Packet::request(nullptr, nullptr, recordReply, nullptr, 0), -1);
    const int32_t id = Link::Packet::request(u"Bob: ", u"hi", recordReply, nullptr, 0);
    ASSERT_EQ(id, 1);
    EXPECT_EQ(fakes_[0]->sent(), germanToEnglishRequest(1, u"hi"));
    EXPECT_EQ(Link::Packet::request(nullptr, u"again", recordReply, nullptr, 0), 2); // the source stays set

    Link::setUserLanguageCode(nullptr);
    ASSERT_EQ(sandbox_.boxes().count(), 1u);
    EXPECT_EQ(sandbox_.boxes().boxes()[0].text, "! ul. not setting user language code");
}

TEST_F(TranslationLinkTest, IdsRestartAtOneAfterTheLargestWithOneBox)
{
    Link::setNextIdForTests(INT_MAX);
    EXPECT_EQ(Link::Packet::generateId(), INT_MAX);
    EXPECT_EQ(Link::Packet::generateId(), 1);
    EXPECT_EQ(Link::Packet::generateId(), 2);
    ASSERT_EQ(sandbox_.boxes().count(), 1u);
    EXPECT_EQ(sandbox_.boxes().boxes()[0].text, "Warning. Text Id has wrapped. Restarting at id=1.");
}

TEST_F(TranslationLinkTest, RepliesAreCutFromTheStreamWhateverTheReceives)
{
    useFakeSockets();
    start(0);
    ASSERT_TRUE(Link::setSourceLanguage("deu"));
    int marker = 0;
    const int32_t a = Link::Packet::request(u"A: ", u"eins", recordReply, &marker, 11);
    const int32_t b = Link::Packet::request(nullptr, u"zwei", recordReply, nullptr, 22);
    platform::FakeTcpSocket& socket = *fakes_[0];

    const Bytes replyA = FakeTranslationHelper::encodeReply(static_cast<uint32_t>(a), u"one");
    const Bytes replyB = FakeTranslationHelper::encodeReply(static_cast<uint32_t>(b), u"two");
    const Bytes unknown = FakeTranslationHelper::encodeReply(999, u"nobody");
    // An unasked reply, then A cut in three slices (one of them inside a character), then B twice in one slice.
    Bytes stream = unknown;
    stream.insert(stream.end(), replyA.begin(), replyA.end());
    Bytes tail = replyB;
    tail.insert(tail.end(), replyB.begin(), replyB.end());
    socket.pushIncoming(Bytes(stream.begin(), stream.begin() + static_cast<long>(unknown.size()) + 5));
    socket.pushIncoming(Bytes(stream.begin() + static_cast<long>(unknown.size()) + 5, stream.end() - 3));
    socket.pushIncoming(Bytes(stream.end() - 3, stream.end()));
    socket.pushIncoming(tail);

    Link::Packet::update();
    Link::Packet::update();
    EXPECT_TRUE(replies().empty()); // nothing whole for a known request yet
    Link::Packet::update();
    ASSERT_EQ(replies().size(), 1u);
    EXPECT_EQ(replies()[0].userData, &marker);
    EXPECT_EQ(replies()[0].value, 11);
    EXPECT_EQ(replies()[0].prefix, u"A: ");
    EXPECT_EQ(replies()[0].text, u"one");
    EXPECT_EQ(std::u16string(Link::translatedText(a)), u"A: one");

    Link::Packet::update();
    ASSERT_EQ(replies().size(), 3u);
    EXPECT_EQ(replies()[1].prefix, u"<none>");
    EXPECT_EQ(replies()[2].text, u"two");
    EXPECT_TRUE(logHas("LanguageTranslationServer::Packet::update: Packet already translated!"));
}

TEST_F(TranslationLinkTest, BrokenStreamsAndClosedPeersDropTheConnection)
{
    useFakeSockets();
    start(0);
    // A "reply" that never ends: past the reply limit, the stream is given up.
    Bytes junk(LanguageTranslationServer::kMaxReplyBytes + 64, 'x');
    fakes_[0]->pushIncoming(junk);
    ASSERT_TRUE(pumpUntil([] { return !Link::isConnected(); }));
    EXPECT_TRUE(logHas("too long"));

    Link::resetForTests();
    LanguageManager::shutdown();
    fakes_.clear();
    useFakeSockets();
    start(0);
    fakes_[0]->closeFromPeer();
    Link::Packet::update();
    EXPECT_FALSE(Link::isConnected());
}

TEST_F(TranslationLinkTest, ConnectingGivesUpAfterItsTimeWithoutHoldingUpStartup)
{
    using platform::NetStatus;
    useFakeSockets(std::vector<NetStatus>(1000, NetStatus::Error));
    start(0); // returns although nothing ever accepts
    EXPECT_TRUE(Link::isStarted());
    EXPECT_FALSE(Link::isConnected());
    EXPECT_TRUE(Link::isConnecting());

    for (uint32_t t = 0; t < Link::kConnectTimeoutMs - 50; t += 50) {
        platform_.clock().advance(50);
        Link::Packet::update();
    }
    EXPECT_TRUE(Link::isConnecting());
    const size_t attempts = fakes_.size();
    EXPECT_GT(attempts, 10u); // each failure brings a fresh socket after a short pause
    EXPECT_LT(attempts, 100u);

    ASSERT_TRUE(Link::setSourceLanguage("deu"));
    EXPECT_GT(Link::Packet::request(nullptr, u"x", recordReply, nullptr, 0), 0);
    platform_.clock().advance(100);
    Link::Packet::update();
    EXPECT_FALSE(Link::isConnecting());
    EXPECT_FALSE(Link::isConnected());
    EXPECT_TRUE(logHas("no connection to the translation server"));
    const size_t finalCount = fakes_.size();
    platform_.clock().advance(1000);
    Link::Packet::update();
    EXPECT_EQ(fakes_.size(), finalCount);
}

TEST_F(TranslationLinkTest, RequestsMadeWhileConnectingGoOutOnceConnected)
{
    using platform::NetStatus;
    useFakeSockets({NetStatus::WouldBlock, NetStatus::WouldBlock});
    start(0);
    ASSERT_TRUE(Link::isConnecting());
    ASSERT_TRUE(Link::setSourceLanguage("deu"));
    const int32_t id = Link::Packet::request(nullptr, u"hi", recordReply, nullptr, 3);
    ASSERT_GT(id, 0);
    EXPECT_TRUE(fakes_[0]->sent().empty());

    Link::Packet::update(); // still under way
    EXPECT_TRUE(fakes_[0]->sent().empty());
    Link::Packet::update(); // connected: the waiting request goes out
    ASSERT_TRUE(Link::isConnected());
    EXPECT_EQ(fakes_[0]->sent(), germanToEnglishRequest(id, u"hi"));

    fakes_[0]->pushIncoming(FakeTranslationHelper::encodeReply(static_cast<uint32_t>(id), u"hallo"));
    Link::Packet::update();
    ASSERT_EQ(replies().size(), 1u);
    EXPECT_EQ(replies()[0].value, 3);
}

TEST_F(TranslationLinkTest, PendingRequestsAreCapped)
{
    useFakeSockets();
    start(0);
    ASSERT_TRUE(Link::setSourceLanguage("deu"));
    int32_t first = 0;
    for (size_t i = 0; i < Link::kMaxPending + 20; ++i) {
        const int32_t id = Link::Packet::request(nullptr, u"x", recordReply, nullptr, 0);
        if (i == 0)
            first = id;
    }
    EXPECT_EQ(Link::pendingCount(), Link::kMaxPending);
    // The oldest went: its late reply is ignored.
    fakes_[0]->pushIncoming(FakeTranslationHelper::encodeReply(static_cast<uint32_t>(first), u"late"));
    Link::Packet::update();
    EXPECT_TRUE(replies().empty());
}

// ---- against the loopback helper ---------------------------------------------------------

TEST_F(TranslationLinkTest, LoopbackHelperAnswersOneRequest)
{
    FakeTranslationHelper helper(FakeTranslationHelper::Mode::Normal);
    start(helper.port());
    ASSERT_TRUE(pumpUntil([] { return Link::isConnected(); }));
    ASSERT_TRUE(Link::setSourceLanguage("fra"));
    const int32_t id = Link::Packet::request(u"P ", u"bonjour", recordReply, nullptr, 5);
    ASSERT_TRUE(helper.waitForRequests(1));
    const auto requests = helper.requests();
    EXPECT_EQ(requests[0].id, static_cast<uint32_t>(id));
    EXPECT_EQ(requests[0].source, static_cast<uint32_t>('a' << 16 | 0));
    EXPECT_EQ(requests[0].text, u"bonjour");
    ASSERT_TRUE(pumpUntil([] { return !replies().empty(); }));
    EXPECT_EQ(replies()[0].text, u"<bonjour>");
    EXPECT_EQ(std::u16string(Link::translatedText(id)), u"P <bonjour>");
}

TEST_F(TranslationLinkTest, LoopbackHelperSplitsAReply)
{
    FakeTranslationHelper helper(FakeTranslationHelper::Mode::Split);
    start(helper.port());
    ASSERT_TRUE(pumpUntil([] { return Link::isConnected(); }));
    ASSERT_TRUE(Link::setSourceLanguage("deu"));
    Link::Packet::request(nullptr, u"geteilt", recordReply, nullptr, 0);
    ASSERT_TRUE(helper.waitForSends(1));
    for (int i = 0; i < 20; ++i)
        Link::Packet::update();
    EXPECT_TRUE(replies().empty());
    helper.releaseRest();
    ASSERT_TRUE(pumpUntil([] { return !replies().empty(); }));
    EXPECT_EQ(replies()[0].text, u"<geteilt>");
}

TEST_F(TranslationLinkTest, LoopbackHelperSendsTwoRepliesAtOnce)
{
    FakeTranslationHelper helper(FakeTranslationHelper::Mode::Pair);
    start(helper.port());
    ASSERT_TRUE(pumpUntil([] { return Link::isConnected(); }));
    ASSERT_TRUE(Link::setSourceLanguage("deu"));
    Link::Packet::request(nullptr, u"eins", recordReply, nullptr, 1);
    Link::Packet::request(nullptr, u"zwei", recordReply, nullptr, 2);
    ASSERT_TRUE(helper.waitForSends(1));
    ASSERT_TRUE(pumpUntil([] { return replies().size() == 2; }));
    EXPECT_EQ(replies()[0].text, u"<eins>");
    EXPECT_EQ(replies()[1].text, u"<zwei>");
}

TEST_F(TranslationLinkTest, LoopbackHelperThatNeverAcceptsDoesNotHoldUpTheLoop)
{
    FakeTranslationHelper helper(FakeTranslationHelper::Mode::NeverAccept);
    start(helper.port());
    ASSERT_TRUE(Link::setSourceLanguage("deu"));
    for (int i = 0; i < 50; ++i) {
        Link::Packet::update();
        Link::Packet::request(nullptr, u"x", recordReply, nullptr, 0);
    }
    EXPECT_TRUE(replies().empty());
    EXPECT_EQ(Link::pendingCount(), 50u);
    // Whether the system completed the connection into the helper's backlog or not, the link is
    // no longer trying once its time is up.
    platform_.clock().advance(Link::kConnectTimeoutMs);
    Link::Packet::update();
    EXPECT_FALSE(Link::isConnecting());
    EXPECT_TRUE(replies().empty());
}

} // namespace
