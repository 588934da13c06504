#include "RegistryValue.h"

RegistryValue RegistryValue::fromString(const QString& text, RegType type) {
    RegistryValue value;
    value.type = quint32(type);
    value.text = text;
    return value;
}

RegistryValue RegistryValue::fromDword(quint32 number) {
    RegistryValue value;
    value.type = quint32(RegType::Dword);
    value.dword = number;
    return value;
}

RegistryValue RegistryValue::fromBinary(const QByteArray& bytes) {
    RegistryValue value;
    value.type = quint32(RegType::Binary);
    value.bytes = bytes;
    return value;
}
