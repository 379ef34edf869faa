#pragma once

#include <QString>

// One cell as the reader delivers it. text is what CellText gives for the cell; for an error cell it is the
// error's code ("#DIV/0!"), which CellText refuses to hand out as data.
struct CellValue {
    enum class Kind { Empty, Text, Number, Boolean, Error };

    Kind kind = Kind::Empty;
    QString text;

    bool IsError() const { return kind == Kind::Error; }
    friend bool operator==(const CellValue&, const CellValue&) = default;
};
