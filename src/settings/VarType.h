#pragma once

#include <QString>
#include <QVariant>
#include <variant>

// Value type of one typed store call.
enum class VarType : quint8 {
    Bool = 0,
    Currency = 1,    // qint64 counting ten-thousandths
    Date = 2,        // double: days since 1899-12-30, time of day as fraction
    Time = 3,        // double
    DateTime = 4,    // double
    Float = 5,       // double
    Integer = 6,     // qint32
    String = 7,      // QString
    ExpandString = 8 // QString
};

// The program variable a call reads into or writes from; its type must match the VarType.
using VarRef = std::variant<bool*, qint64*, double*, qint32*, QString*>;

// The conversions of the tagged default value to each type.
bool DefaultAsBool(const QVariant& value);
qint64 DefaultAsCurrency(const QVariant& value);
double DefaultAsDouble(const QVariant& value);
qint32 DefaultAsInteger(const QVariant& value);
QString DefaultAsString(const QVariant& value);
