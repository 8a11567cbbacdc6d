#pragma once

#include <QString>

#include <exception>

// An error whose description is a finished sentence the user reads unchanged.
class UserError : public std::exception {
public:
    explicit UserError(QString description)
        : description_(std::move(description)), utf8_(description_.toUtf8()) {}
    const QString& description() const { return description_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString description_;
    QByteArray utf8_;
};

// The file system refused an operation the user needs (create, move, write).
class FileSystemError : public UserError {
public:
    using UserError::UserError;
};

// A write failed because the file system is full (or the user's quota is used up).
class DiskFullError : public FileSystemError {
public:
    using FileSystemError::FileSystemError;
};
