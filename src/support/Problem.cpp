#include "support/Problem.h"

Problem::Problem(Kind kind, QString sentence)
    : kind_(kind), sentence_(std::move(sentence)), utf8_(sentence_.toUtf8()) {}

Problem Problem::http(int status, std::chrono::seconds retryAfter) {
    Problem problem(Kind::HttpStatus,
                    QStringLiteral("The server answered with HTTP %1.").arg(status));
    problem.status_ = status;
    problem.retryAfter_ = retryAfter;
    return problem;
}

bool Problem::isNetwork() const {
    return kind_ == Kind::Refused || kind_ == Kind::Dropped || kind_ == Kind::TimedOut ||
           kind_ == Kind::Network;
}
