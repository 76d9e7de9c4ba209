// Start-up of the real program: a machine that cannot be made stops it before
// any window, with a message on stderr and exit code 1.
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

namespace {

struct Refusal {
  const char* variable;
  const char* value;
  const char* message;
};

class ProgramStart : public testing::TestWithParam<Refusal> {};

TEST_P(ProgramStart, AMachineThatCannotBeMadeStopsStartUpWithoutAWindow) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  environment.insert(GetParam().variable, GetParam().value);
  QProcess program;
  program.setProcessEnvironment(environment);
  program.start(BRISKLANE_PROGRAM_DIR "/brisklane", {});
  // A window (an error box) would keep the program running.
  ASSERT_TRUE(program.waitForFinished(60'000)) << "the program did not stop";
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 1);
  EXPECT_EQ(QString::fromUtf8(program.readAllStandardError()), QString::fromUtf8(GetParam().message));
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, ProgramStart,
    testing::Values(Refusal{"BRISKLANE_MACHINE", "windows",
                            "brisklane: BRISKLANE_MACHINE=windows is no kind of machine; the kinds are: sim, linux\n"},
                    Refusal{"BRISKLANE_SCENARIO", "/nonexistent/machine.json",
                            "brisklane: scenario file /nonexistent/machine.json cannot be read: "
                            "No such file or directory\n"}));

}  // namespace
