// Running a command-line program as a whole process from a test: a scratch folder per test,
// shell quoting, and the run's exit status with what it printed.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kestrel::batchtest {

namespace fs = std::filesystem;

inline std::string quoted(const std::string& text) {
    std::string result = "'";
    for (char c : text) result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

inline std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

/// What a run left: its exit status (-1 when it did not exit) and its standard output and error.
struct Outcome {
    int status = -1;
    std::string out, err;
    std::vector<std::string> lines() const {
        std::vector<std::string> result;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);) result.push_back(line);
        return result;
    }
};

/// @brief Runs a shell command line with its output sent to files in `folder`.
inline Outcome runCommand(const std::string& command, const fs::path& folder) {
    const fs::path out = folder / "stdout", err = folder / "stderr";
    const int raw =
        std::system((command + " >" + quoted(out.string()) + " 2>" + quoted(err.string())).c_str());
    Outcome outcome;
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.out = readAll(out);
    outcome.err = readAll(err);
    return outcome;
}

/// @brief Runs `program` with `args`, each quoted for the shell, its output in `folder`.
inline Outcome runProgram(const std::string& program, const std::vector<std::string>& args,
                          const fs::path& folder) {
    std::string command = quoted(program);
    for (const auto& arg : args) command.append(" ").append(quoted(arg));
    return runCommand(command, folder);
}

/// A test with a scratch folder of its own, removed afterwards.
class ScratchFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() /
                   ("kestrel-tools-test-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    fs::path m_folder;
};

/// A scratch folder test that runs the built kestrel-batch and the Python scripts beside the
/// tests, both in that folder.
class BatchProgramTest : public ScratchFolderTest {
  protected:
    Outcome run(const std::vector<std::string>& args) {
        std::string command = quoted(std::string(KESTREL_BINARY_DIR) + "/tools/kestrel-batch");
        for (const auto& arg : args) command.append(" ").append(quoted(arg));
        return runCommand(command, m_folder);
    }
    Outcome python(const std::string& script, const std::vector<std::string>& args) {
        std::string command =
            "/usr/bin/python3 " + quoted(KESTREL_SOURCE_DIR "/tests/tools/" + script);
        for (const auto& arg : args) command.append(" ").append(quoted(arg));
        return runCommand(command, m_folder);
    }
};

}  // namespace kestrel::batchtest
