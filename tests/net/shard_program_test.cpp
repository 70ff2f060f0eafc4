/** @file The local shard program the run command starts: a login through it with the client's network code. */
#include "tests/net/login_fixture.h"

#include <csignal>
#include <cstdlib>
#include <fstream>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

class ShardProgram : public nettest::LoginWorld {
protected:
    ~ShardProgram() override { stop(); }

    /** Starts the built program with the flags; false when it does not report its port in time. */
    bool start(std::vector<std::string> flags)
    {
        const char* binaryDir = std::getenv("KZ_TEST_BINARY_DIR");
        if (binaryDir == nullptr)
            return false;
        const std::string program = std::string(binaryDir) + "/tools/kzshard";
        const std::string portFile = mapDir.file("shard.port");
        flags.insert(flags.begin(), program);
        flags.push_back("--port-file");
        flags.push_back(portFile);
        std::vector<char*> argv;
        for (std::string& flag : flags)
            argv.push_back(flag.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
            pid = -1;
            return false;
        }
        for (int i = 0; i < 500 && port == 0; ++i) {
            std::ifstream in(portFile);
            in >> port;
            if (port == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return port != 0;
    }
    /** Ends the program as the run command does; its exit code. */
    int stop()
    {
        if (pid <= 0)
            return -1;
        ::kill(pid, SIGTERM);
        int status = 0;
        ::waitpid(pid, &status, 0);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    pid_t pid = -1;
    uint16_t port = 0;
};

TEST_F(ShardProgram, LogsAPlayerIntoTheWorldAndStopsOnTheSignal)
{
    ASSERT_TRUE(start({"--login-port", "0", "--account", "tester", "--password", "secret"}));
    pointAtLoginServer(port);
    ASSERT_EQ(ConnectToLoginServer(), 1);
    SendAccountLogin(AcctID, AcctPassword, 0);
    ASSERT_TRUE(poll([&] { return screens.shardsShown == 1; }));
    SendSelectServer(TheLoginLists().shards[0].index);
    ASSERT_TRUE(poll([&] { return screens.charactersShown == 1; }));
    SendPlayCharacter(TheLoginLists().characters[0].name.c_str(), "", 0);
    ASSERT_TRUE(poll([&] { return WorldEntered && CObjectManager::FindObject(0x00000202) != nullptr; }));
    EXPECT_TRUE(texts.has("Welcome to Tavorn Vevovo!"));
    EXPECT_EQ(stop(), 0);
}

} // namespace
