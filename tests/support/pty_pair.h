#pragma once
// A pseudo-terminal pair for serial tests: the program under test opens the slave path as its
// serial port; the test (or a simulator) reads and writes the master side.

#include <string>

namespace vespian::testing {

class PtyPair {
public:
    PtyPair();   // opens the pair in raw mode; ok() tells whether it worked
    ~PtyPair();  // closes the master (and the slave, if the test still holds it)
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return master_ >= 0; }
    int masterFd() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }
    // Writes all bytes to the master side; false on failure.
    bool writeMaster(const void* bytes, size_t length);
    // Reads what arrives on the master side within timeoutMs; returns the bytes read.
    std::string readMaster(size_t maxBytes, int timeoutMs);

private:
    int master_ = -1;
    int slaveHold_ = -1;  // kept open so the master does not see a hang-up before the test opens it
    std::string slavePath_;
};

}  // namespace vespian::testing
