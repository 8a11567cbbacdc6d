#pragma once

class QPlainTextEdit;
class QWidget;

// A read-only, selectable, wrapping text area of fixed height for lines of
// program output, drawn without a frame on the panel behind it.
QPlainTextEdit* makeOutputArea(int height, QWidget* parent);
