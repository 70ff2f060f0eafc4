/** @file Tests of the report log: files, instance numbers, severities, fatal exits and the debug trace. */
#include "client/core/kz_report.h"

#include "platform/instance/named_instance.h"
#include "tests/core/report_sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using testsupport::exitCodeOf;
using testsupport::ReportSandbox;

namespace {

const char kStartedLog[] =
    "KZReport::message: KZReport: created file 'KZReport0.log' for writing.\n"
    "KZReport::message: KZReport: starting up...\n"
    "KZReport::message: KZReport: started.\n";

} // namespace

TEST(KZReport, FirstStartCreatesLogZeroAndTakesInstanceZero)
{
    ReportSandbox sandbox;
    KZReport::start();
    EXPECT_EQ(KZReport::getInstanceNumber(), 0);
    EXPECT_EQ(sandbox.read("KZReport0.log"), kStartedLog);
    EXPECT_TRUE(platform::NamedInstance::exists("KZReport::startup"));
    EXPECT_EQ(sandbox.boxes().count(), 0u);
}

TEST(KZReport, SecondClientWritesLogOneAndLeavesTheFirstClientsLogWhole)
{
    ReportSandbox sandbox;
    bool existed = true;
    auto firstClient = platform::NamedInstance::create("KZReport::startup", &existed);
    ASSERT_TRUE(firstClient && firstClient->holdsName());
    ASSERT_FALSE(existed);
    sandbox.dir().write("KZReport0.log", std::string("first client's lines\n"));

    KZReport::start();
    EXPECT_EQ(KZReport::getInstanceNumber(), 1);
    EXPECT_EQ(sandbox.read("KZReport0.log"), "first client's lines\n");
    EXPECT_NE(sandbox.read("KZReport1.log").find("KZReport: created file 'KZReport1.log' for writing."),
              std::string::npos);
}

TEST(KZReport, InstanceObjectThatCannotBeMadeShowsItsBoxAndKeepsZero)
{
    ReportSandbox sandbox;
    // A plain file where the runtime folder should be: no lock file can be made inside it.
    sandbox.setRuntimeDir(sandbox.dir().write("not-a-folder", std::string("x")));
    KZReport::start();
    EXPECT_EQ(KZReport::getInstanceNumber(), 0);
    const auto boxes = sandbox.boxes().boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "KZReport::startup:");
    EXPECT_EQ(boxes[0].text, "Cannot CreateMutex.");
}

TEST(KZReport, ReportingWorksWithoutALogFile)
{
    ReportSandbox sandbox;
    // A folder of the log's name: the file cannot be opened for writing.
    std::filesystem::create_directory(sandbox.dir().path() / "KZReport0.log");
    KZReport::start();
    KZReport::error("dropped\n");
    EXPECT_EQ(sandbox.boxes().count(), 0u);
    EXPECT_EQ(exitCodeOf([] { KZReport::fatal("still shown\n"); }), 1);
    ASSERT_EQ(sandbox.boxes().count(), 1u);
    EXPECT_EQ(sandbox.boxes().boxes()[0].text, "still shown\n");
}

TEST(KZReport, EverySeverityIsLoggedWithItsCaptionAndOnlyFatalShowsABox)
{
    ReportSandbox sandbox;
    KZReport::start();
    KZReport::error("e %d\n", 1);
    KZReport::warning("w %s\n", "two");
    KZReport::message("m\n");
    KZReport::print("plain %c\n", 'p');
    EXPECT_EQ(sandbox.boxes().count(), 0u);
    EXPECT_EQ(sandbox.read("KZReport0.log"), std::string(kStartedLog) +
                                                 "KZReport::error: e 1\n"
                                                 "KZReport::warning: w two\n"
                                                 "KZReport::message: m\n"
                                                 "plain p\n");

    EXPECT_EQ(exitCodeOf([] { KZReport::fatal("f %d\n", 3); }), 1);
    const auto boxes = sandbox.boxes().boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "KZReport::fatal: ");
    EXPECT_EQ(boxes[0].text, "f 3\n");
    EXPECT_NE(sandbox.read("KZReport0.log").find("KZReport::fatal: f 3\n"), std::string::npos);
}

TEST(KZReport, FatalBeforeStartShowsItsOwnTextAndRunsTheExitList)
{
    ReportSandbox sandbox;
    bool shutdownRan = false;
    platform::atExit([&] { shutdownRan = true; });
    EXPECT_EQ(exitCodeOf([] { KZReport::fatal("no data file %s\n", "map0.mul"); }), 1);
    EXPECT_TRUE(shutdownRan);

    const auto boxes = sandbox.boxes().boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "no data file map0.mul\n");
    const std::string log = sandbox.read("KZReport0.log");
    EXPECT_NE(log.find("KZReport::warning: KZReport::outputText: had to call 'start'\n"), std::string::npos);
    EXPECT_NE(log.find("KZReport::fatal: no data file map0.mul\n"), std::string::npos);
}

TEST(KZReport, ReportBeforeStartKeepsItsOwnSeverity)
{
    ReportSandbox sandbox;
    KZReport::message("hello\n");
    EXPECT_EQ(sandbox.boxes().count(), 0u);
    EXPECT_EQ(sandbox.read("KZReport0.log"), std::string(kStartedLog) +
                                                 "KZReport::warning: KZReport::outputText: had to call 'start'\n"
                                                 "KZReport::message: hello\n");
}

TEST(KZReport, ReportsAfterStopGoToTheErrataLogOpenedOnce)
{
    ReportSandbox sandbox;
    KZReport::start();
    KZReport::stop();
    EXPECT_EQ(sandbox.read("KZReport0.log"), std::string(kStartedLog) + "KZReport::message: KZReport: stopping...\n");

    KZReport::error("late\n");
    const std::string errata = sandbox.read("KZErrata0.log");
    EXPECT_NE(errata.find("KZReport::message: KZReport: created file 'KZErrata0.log' for writing.\n"),
              std::string::npos);
    EXPECT_NE(errata.find("KZReport::error: late\n"), std::string::npos);

    // A second stop closes the errata log; later starts only warn and open nothing.
    KZReport::stop();
    KZReport::start();
    KZReport::stop();
    KZReport::warning("after all\n");
    const std::string closed = sandbox.read("KZErrata0.log");
    EXPECT_NE(closed.find("KZReport::message: KZReport: stopping...\n"), std::string::npos);
    EXPECT_EQ(closed.find("after all"), std::string::npos);
    EXPECT_EQ(sandbox.read("KZReport0.log").find("late"), std::string::npos);
}

TEST(KZReport, RepeatedStartAndStopWarn)
{
    ReportSandbox sandbox;
    KZReport::start();
    KZReport::start();
    EXPECT_NE(sandbox.read("KZReport0.log").find("KZReport::warning: KZReport::start: already started!\n"),
              std::string::npos);
    KZReport::stop();
    KZReport::stop();
    EXPECT_EQ(sandbox.read("KZReport0.log").find("already stopped"), std::string::npos)
        << "the log closes at the first stop";
    EXPECT_NE(sandbox.read("KZErrata0.log").find("KZReport::warning: KZReport::stop: already stopped!\n"),
              std::string::npos)
        << "the warning of the second stop reopens reporting in the errata log";
}

TEST(KZReport, LongReportIsCutTo2047Characters)
{
    ReportSandbox sandbox;
    KZReport::start();
    const std::string text(3000, 'x');
    KZReport::print("%s", text.c_str());
    const std::string log = sandbox.read("KZReport0.log");
    EXPECT_EQ(log.size(), sizeof kStartedLog - 1 + 2047);
    EXPECT_EQ(log.substr(sizeof kStartedLog - 1), std::string(2047, 'x'));
}

TEST(KZReport, ImpossibleStateEndsWithOneFatalInsteadOfEndlessRestarts)
{
    ReportSandbox sandbox;
    KZReport::setStateForTests(false, true);
    EXPECT_EQ(exitCodeOf([] { KZReport::message("anything\n"); }), 1);
    const auto boxes = sandbox.boxes().boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "KZReport::start: !started && stopped => freak occurance!\n");
}

TEST(DebugTrace, WritesFileLineAndTextAsAPlainReportCutTo255)
{
    ReportSandbox sandbox;
    KZReport::start();
    DebugTrace("socklib", 355, "socket creation failed");
    DebugTrace("long", 1, std::string(400, 'y').c_str());
    const std::string log = sandbox.read("KZReport0.log").substr(sizeof kStartedLog - 1);
    const std::string first = "socklib(355): socket creation failed\n";
    ASSERT_EQ(log.substr(0, first.size()), first);
    EXPECT_EQ(log.substr(first.size()), "long(1): " + std::string(255 - 9, 'y'));
}
