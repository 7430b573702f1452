#include "Processes.h"

#include <QCoreApplication>
#include <QProcess>

namespace {

// Names the test that a child process runs for its parent.
constexpr char kChildTest[] = "QUENZ_CHILD_TEST";

QString CurrentTestName() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  return test ? QString::fromLatin1(test->test_suite_name()) + u'.' +
                    QString::fromLatin1(test->name())
              : QString();
}

}  // namespace

ProcessResult RunProcess(const QString& program, const QStringList& arguments,
                         const QProcessEnvironment& environment, const QString& folder) {
  QProcess process;
  process.setProcessEnvironment(environment);
  if (!folder.isEmpty()) process.setWorkingDirectory(folder);
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(program, arguments);
  if (!process.waitForFinished(60000)) {
    process.kill();
    process.waitForFinished();
    return {-1, QString::fromLocal8Bit(process.readAll())};
  }
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromLocal8Bit(process.readAll())};
}

bool InChildProcess() {
  const QString name = CurrentTestName();
  return !name.isEmpty() && qEnvironmentVariable(kChildTest) == name;
}

::testing::AssertionResult PassesInAChildProcess() {
  const QString name = CurrentTestName();
  if (name.isEmpty()) return ::testing::AssertionFailure() << "no test is running";
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  // The child runs that one test, once, whatever the parent was told (its filter, repeats,
  // shards, a report file of its own).
  for (const QString& variable : environment.keys()) {
    if (variable.startsWith(QStringLiteral("GTEST_"))) environment.remove(variable);
  }
  environment.insert(QString::fromLatin1(kChildTest), name);
  const ProcessResult child = RunProcess(QCoreApplication::applicationFilePath(),
                                         {QStringLiteral("--gtest_filter=") + name}, environment);
  const bool ran = child.output.contains(QStringLiteral("[       OK ] ") + name) &&
                   child.output.contains(QStringLiteral("[  PASSED  ] 1 test."));
  if (child.exitCode == 0 && ran) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << name.toStdString() << " in a child process (exit code " << child.exitCode << "):\n"
         << child.output.toStdString();
}
