// The error classes of the platform. Every error the viewer can meet is an Exception with a message;
// SilentAbort is the silent one that stops an operation without a message box.
#pragma once

#include <stdexcept>
#include <string>

namespace zeb {

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const { return message_; }

 private:
  std::string message_;
};

#define ZEB_EXCEPTION(Name, Base) \
  class Name : public Base {      \
   public:                        \
    using Base::Base;             \
  }

// Stops an operation silently: the default error handler shows nothing for it.
ZEB_EXCEPTION(SilentAbort, Exception);
// Data that is not a valid picture of its class, or a file extension no picture class is registered for.
ZEB_EXCEPTION(InvalidPicture, Exception);
// A picture class cannot take over another one.
ZEB_EXCEPTION(ConversionError, Exception);
// An index outside a list.
ZEB_EXCEPTION(IndexError, Exception);
// Streams and files.
ZEB_EXCEPTION(StreamError, Exception);
ZEB_EXCEPTION(FileOpenError, StreamError);
ZEB_EXCEPTION(FileCreateError, StreamError);
ZEB_EXCEPTION(ReadError, StreamError);
ZEB_EXCEPTION(WriteError, StreamError);
// The settings store (registry) holds a value of another type than asked for.
ZEB_EXCEPTION(SettingsTypeError, Exception);
// An operation the platform cannot carry out (out of memory for a picture, a window that cannot be made).
ZEB_EXCEPTION(OutOfResources, Exception);

}  // namespace zeb
