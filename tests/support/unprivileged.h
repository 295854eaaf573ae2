#pragma once
#include <functional>
#include <string>
#include <vector>

namespace verdan::test {

// Runs `body` as an ordinary user. Root reads and writes past every permission bit, and CI runs
// as root, so a test of an unreadable file or a read-only folder would prove nothing there: as
// root the body runs in a forked child that hands the `owned` folders (recursively) to "nobody"
// and drops to it, and its failures fail the test through its exit status. Otherwise (and on
// Windows) the body simply runs. The body's effects on memory stay in the child.
void asUnprivileged(const std::vector<std::string>& owned, const std::function<void()>& body);

} // namespace verdan::test
