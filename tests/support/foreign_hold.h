#pragma once
#include <string>

namespace verdan::test {

// True when the tests run under Wine rather than on Windows itself.
bool runningUnderWine();

// Keeps the code under test from reading a file, as long as it lives: on Windows another
// program's handle that shares nothing, on POSIX no permission bits (which root ignores).
class Unreadable {
public:
    explicit Unreadable(const std::string& path);
    ~Unreadable();
    Unreadable(const Unreadable&) = delete;
    Unreadable& operator=(const Unreadable&) = delete;
    // Empty when the file is really unreadable, else why the guard cannot work here.
    const std::string& whyNot() const { return m_whyNot; }

private:
    std::string m_path;
    std::string m_whyNot;
    void* m_handle = nullptr;
};

// Another program holding a file open for reading and writing without sharing its deletion, as
// editors and spreadsheets do on Windows: the file can then be neither replaced nor removed.
// POSIX knows no such hold.
class HeldOpen {
public:
    explicit HeldOpen(const std::string& path);
    ~HeldOpen();
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;
    const std::string& whyNot() const { return m_whyNot; }

private:
    std::string m_whyNot;
    void* m_handle = nullptr;
};

} // namespace verdan::test
