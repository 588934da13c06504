#pragma once

#include <QByteArray>
#include <QString>

// Registry value types, numbered as on Windows.
enum class RegType : quint32 {
    None = 0,
    Sz = 1,
    ExpandSz = 2,
    Binary = 3,
    Dword = 4,
    MultiSz = 7,
    Qword = 11,
};

// One typed value: text for REG_SZ / REG_EXPAND_SZ, a number for REG_DWORD, bytes otherwise.
struct RegistryValue {
    quint32 type = 0; // a RegType, or any other type number read from a file
    QString text;
    quint32 dword = 0;
    QByteArray bytes;

    static RegistryValue fromString(const QString& text, RegType type = RegType::Sz);
    static RegistryValue fromDword(quint32 value);
    static RegistryValue fromBinary(const QByteArray& bytes);
    bool operator==(const RegistryValue& other) const = default;
};
