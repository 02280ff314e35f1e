#pragma once
#include <stdexcept>
#include <string>

// Base of every error the program reports to the user; what() is the text shown.
class TessaroError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text that is not an integer where one is required.
class EConvertError : public TessaroError {
public:
    using TessaroError::TessaroError;
};

// A project document that cannot be read, lacks an item or cannot be saved.
class XmlError : public TessaroError {
public:
    using TessaroError::TessaroError;
};

// A file or folder operation of the file system failed.
class FileError : public TessaroError {
public:
    using TessaroError::TessaroError;
    FileError(const std::string& text, int err) : TessaroError(text), err_(err) {}
    // errno of the failing call, 0 when not known.
    int code() const { return err_; }

private:
    int err_ = 0;
};
