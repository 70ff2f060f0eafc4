/** @file kzshard: a local shard on 127.0.0.1 for the sample install, the scripted shard of the tests as a program. */
#include "tests/support/scripted_shard.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>
#include <algorithm>

namespace {

std::atomic<bool> g_stop{false};

void onSignal(int)
{
    g_stop = true;
}

int usage()
{
    std::fprintf(stderr,
                 "usage: kzshard [--login-port N] [--game-port N] [--account NAME] [--password TEXT]\n"
                 "               [--install FOLDER] [--port-file FILE] [--characters NAMES]\n"
                 "Serves one account on 127.0.0.1 (ports 0: free ones); the install's map0.mul and\n"
                 "tiledata.mul give the heights and the land the player may walk on. The login port is\n"
                 "printed, and written to the port file when one is given. NAMES: the account's\n"
                 "characters separated by commas; an empty text serves an account without characters,\n"
                 "whose player makes one.\n");
    return 2;
}

bool parsePort(const char* text, uint16_t& port)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != 0 || value < 0 || value > 65535)
        return false;
    port = static_cast<uint16_t>(value);
    return true;
}

/** "A,B" as names; an empty text gives none. */
std::vector<std::string> splitNames(const std::string& text)
{
    std::vector<std::string> names;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = std::min(text.find(',', start), text.size());
        if (end > start)
            names.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

} // namespace

int main(int argc, char** argv)
{
    testsupport::ShardSettings settings;
    settings.account = "guest";
    settings.password = "guest";
    settings.serveAgain = true;
    std::string portFile;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (i + 1 >= argc)
            return usage();
        const char* value = argv[++i];
        if (flag == "--login-port" && parsePort(value, settings.loginPort))
            continue;
        if (flag == "--game-port" && parsePort(value, settings.gamePort))
            continue;
        if (flag == "--account")
            settings.account = value;
        else if (flag == "--password")
            settings.password = value;
        else if (flag == "--install")
            settings.installFolder = value;
        else if (flag == "--port-file")
            portFile = value;
        else if (flag == "--characters")
            settings.characters = splitNames(value);
        else
            return usage();
    }
    settings.objects = testsupport::DefaultShardObjects(settings);
    // The mobile beside the player answers what the player says.
    settings.answeringMobile = 0x00000202;

    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    std::signal(SIGPIPE, SIG_IGN);
    try {
        testsupport::ScriptedShard shard(settings);
        std::printf("kzshard: login 127.0.0.1:%u, game 127.0.0.1:%u, account %s\n", shard.loginPort(), shard.gamePort(),
                    settings.account.c_str());
        std::fflush(stdout);
        if (!portFile.empty()) {
            // Written whole and then renamed, so a reader never sees half a number.
            const std::string partial = portFile + ".part";
            std::ofstream(partial) << shard.loginPort() << "\n";
            std::rename(partial.c_str(), portFile.c_str());
        }
        size_t reported = 0;
        while (!g_stop) {
            shard.pump();
            for (; reported < shard.failures().size(); ++reported)
                std::fprintf(stderr, "kzshard: the client broke the protocol: %s\n",
                             shard.failures()[reported].c_str());
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kzshard: %s\n", e.what());
        return 1;
    }
    return 0;
}
