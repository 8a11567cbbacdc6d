#pragma once

#include <QString>

// A signal that ended a process, in words: "segmentation fault, signal 11".
QString signalWords(int number);
