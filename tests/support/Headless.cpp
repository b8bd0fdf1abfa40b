#include "tests/support/Headless.h"

#include <gtest/gtest.h>
#include <random>

namespace testing_support {

HeadlessApp::HeadlessApp() {
    win::SetClock(&Clock);
    win::RecordedMessageBoxes().clear();
    win::SetHeadlessAnswer(win::IDOK);
    EXPECT_TRUE(App.Initialize()) << "SDL could not start headless";
}

HeadlessApp::~HeadlessApp() {
    win::SetClock(nullptr);
}

TempDir::TempDir() {
    std::random_device random;
    Path = std::filesystem::temp_directory_path() /
           ("kosmorra-test-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(Path);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(Path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(Path, ignored);
}

} // namespace testing_support
