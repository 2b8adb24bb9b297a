// Every test of the application starts with the program's support files at the source tree's resources.
#include <gtest/gtest.h>

#include <string>

#include "app/model/KestrimaConfig.h"

namespace {

// The main window loads its shipped code tree as it is made, and reports a missing one in a message
// box that would wait for an answer; a test that wants other files points the folder elsewhere itself.
class TShippedFolder : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override
    {
        SetProgramFolder(std::string(KESTRIMA_SOURCE_DIR) + "/resources");
    }
};

const bool registered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new TShippedFolder);
    return true;
}();

} // namespace
