// exception.h -- the one error type: every fatal error travels to main as an Exception.
#pragma once

#include <string>

class Exception {
public:
    Exception(const std::string& message, const std::string& file, int line)
        : message(message), file(file), line(line) {}

    const std::string& getMessage() const { return message; }  // the only text ever shown

    std::string message;  // what went wrong, printed verbatim by main
    std::string file;     // source file of the throw site (carried, never shown)
    int line;             // source line of the throw site (carried, never shown)
};

// Throws an Exception that records where it was thrown.
#define THROW_EXCEPTION(message) throw Exception((message), __FILE__, __LINE__)
