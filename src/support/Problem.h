#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <exception>

// Why a step of a launch could not go on. The kind decides whether trying again can help, how
// the player is told and what the command line exits with; the sentence is finished and read
// unchanged. Thrown to unwind out of deep code, handed on as a value from there.
class Problem : public std::exception {
public:
    enum class Kind {
        Refused,    // no connection could be made
        Dropped,    // the connection broke off, a body cut short included
        TimedOut,   // nothing came in time
        Network,    // any other failure of the network: unknown host, TLS, proxy, redirect
        HttpStatus, // the server answered with an error status
        Damaged,    // a file arrived in full by its declared length, yet is not whole
        WebPage,    // a web page came where a file was asked for
        BadArchive, // an archive that cannot be unpacked safely
        DiskFull,   // the file system is full, or will be before the step is done
        FileSystem, // the file system refused to create, move, read or write
        Engine,     // no Godot that can run here
        Import,     // the first-time setup failed
        Game,       // the game's own files cannot be played
        Unexpected, // a fault of the launcher itself
    };

    Problem(Kind kind, QString sentence);
    // "The server answered with HTTP 503."; `retryAfter` is how long the server asked to wait
    // before asking again (Retry-After), negative when it did not say.
    static Problem http(int status, std::chrono::seconds retryAfter = std::chrono::seconds(-1));

    Kind kind() const { return kind_; }
    const QString& sentence() const { return sentence_; }
    int httpStatus() const { return status_; }
    std::chrono::seconds retryAfter() const { return retryAfter_; }
    // The network itself failed, rather than the server, the file or the disk.
    bool isNetwork() const;

    const char* what() const noexcept override { return utf8_.constData(); }

private:
    Kind kind_;
    QString sentence_;
    QByteArray utf8_;
    int status_ = 0;
    std::chrono::seconds retryAfter_{-1};
};
