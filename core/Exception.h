// Base of every error the system raises; carries the message text.
#pragma once
#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
public:
  explicit Exception(const std::string& msg) : std::runtime_error(msg) {}
  std::string Message() const { return what(); }
};
