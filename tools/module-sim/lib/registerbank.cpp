#include "registerbank.h"

namespace {

constexpr quint32 AllBits = 0xFFFFFFFF;
// Bits 9 and 24 are not channels on this band.
constexpr quint32 ChannelBits = 0x3EFFFDFF;
constexpr int MaxNodeIdentifierLength = 20;
const char *const DefaultNodeIdentifier = " ";

const RegisterDefinition Catalogue[] = {
    {"VR", RegisterKind::ReadOnly, 0, AllBits, 0x8059, AllBits},
    {"VH", RegisterKind::ReadOnly, 0, AllBits, 0x12, AllBits},
    {"HV", RegisterKind::ReadOnly, 0, AllBits, 0x2E41, AllBits},
    {"TO", RegisterKind::Setting, 0, 0xFF, 0xC0, AllBits},
    {"CM", RegisterKind::Setting, 0x3, ChannelBits, ChannelBits, ChannelBits},
    {"ID", RegisterKind::Setting, 0, 0x7FFF, 0x7FFF, AllBits},
    {"MT", RegisterKind::Setting, 0, 0x5, 0x3, AllBits},
    {"SH", RegisterKind::ReadOnly, 0, AllBits, 0x0013A200, AllBits},
    {"SL", RegisterKind::ReadOnly, 0, AllBits, 0, AllBits},
    {"DL", RegisterKind::Setting, 0, AllBits, 0xFFFF, AllBits},
    {"DH", RegisterKind::Setting, 0, AllBits, 0, AllBits},
    {"NI", RegisterKind::Text, 0, 0, 0, 0},
    {"PL", RegisterKind::Setting, 0, 0x4, 0x4, AllBits},
    {"RR", RegisterKind::Setting, 0, 0xF, 0xA, AllBits},
    {"CE", RegisterKind::Setting, 0, 0x2, 0, AllBits},
    {"BD", RegisterKind::Setting, 0, 0x8, 0x3, AllBits},
    {"NB", RegisterKind::Setting, 0, 0x4, 0, AllBits},
    {"SB", RegisterKind::Setting, 0, 0x1, 0, AllBits},
    {"RO", RegisterKind::Setting, 0, 0xFF, 0x3, AllBits},
    {"AP", RegisterKind::Setting, 0, 0x2, 0, AllBits},
    {"DB", RegisterKind::ReadOnly, 0, 0xFF, 0, AllBits},
    {"GT", RegisterKind::Setting, 0x2, 0xCE4, 0x3E8, AllBits},
    {"CT", RegisterKind::Setting, 0x2, 0x1770, 0x64, AllBits},
    {"NO", RegisterKind::Setting, 0, 0x7, 0, AllBits},
    {"NT", RegisterKind::Setting, 0x20, 0x2EE0, 0x82, AllBits},
    {"SM", RegisterKind::Setting, 0, 0x8, 0, AllBits},
    {"D6", RegisterKind::Setting, 0, 0x5, 0, AllBits},
    {"D7", RegisterKind::Setting, 0, 0x7, 0x1, AllBits},
};

bool isPrintable(const QByteArray &text)
{
    for (char c : text) {
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    return true;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

RegisterBank::RegisterBank(quint32 serialLow)
    : nodeIdentifier(DefaultNodeIdentifier)
{
    for (const RegisterDefinition &definition : Catalogue)
        values.insert(definition.name, definition.defaultValue);
    values.insert("SL", serialLow);
}

void RegisterBank::restoreDefaults()
{
    for (const RegisterDefinition &definition : Catalogue) {
        if (definition.kind == RegisterKind::Setting)
            values.insert(definition.name, definition.defaultValue);
    }
    nodeIdentifier = DefaultNodeIdentifier;
}

const RegisterDefinition *RegisterBank::find(const QByteArray &name)
{
    for (const RegisterDefinition &definition : Catalogue) {
        if (name == definition.name)
            return &definition;
    }
    return nullptr;
}

QList<QByteArray> RegisterBank::storedNames()
{
    QList<QByteArray> names;
    for (const RegisterDefinition &definition : Catalogue) {
        if (definition.kind != RegisterKind::ReadOnly)
            names.append(definition.name);
    }
    return names;
}

bool RegisterBank::parseHex(const QByteArray &text, quint32 *value)
{
    QByteArray digits = text;
    if (digits.startsWith("0x") || digits.startsWith("0X"))
        digits = digits.mid(2);
    if (digits.isEmpty())
        return false;
    quint64 result = 0;
    for (char c : digits) {
        const int digit = hexDigit(c);
        if (digit < 0)
            return false;
        result = result * 16 + digit;
        if (result > AllBits)
            return false;
    }
    *value = static_cast<quint32>(result);
    return true;
}

QByteArray RegisterBank::query(const QByteArray &name) const
{
    const RegisterDefinition *definition = find(name);
    if (definition && definition->kind == RegisterKind::Text)
        return nodeIdentifier;
    return QByteArray::number(values.value(name), 16).toUpper();
}

bool RegisterBank::set(const QByteArray &name, const QByteArray &parameter)
{
    const RegisterDefinition *definition = find(name);
    if (!definition || definition->kind == RegisterKind::ReadOnly)
        return false;
    if (definition->kind == RegisterKind::Text) {
        if (parameter.size() > MaxNodeIdentifierLength || !isPrintable(parameter))
            return false;
        nodeIdentifier = parameter;
        return true;
    }
    quint32 number = 0;
    if (!parseHex(parameter, &number))
        return false;
    if (number < definition->minimum || number > definition->maximum || (number & ~definition->allowedBits))
        return false;
    values.insert(name, number);
    return true;
}

quint32 RegisterBank::value(const QByteArray &name) const
{
    return values.value(name);
}

void RegisterBank::setReadOnly(const QByteArray &name, quint32 value)
{
    values.insert(name, value);
}

QJsonObject RegisterBank::storedState() const
{
    QJsonObject state;
    for (const QByteArray &name : storedNames())
        state.insert(QString::fromLatin1(name), QString::fromLatin1(query(name)));
    return state;
}

bool RegisterBank::restore(const QJsonObject &state, QString *error)
{
    RegisterBank restored = *this;
    for (auto it = state.begin(); it != state.end(); ++it) {
        const QByteArray name = it.key().toLatin1();
        const RegisterDefinition *definition = find(name);
        if (!definition || definition->kind == RegisterKind::ReadOnly) {
            *error = QStringLiteral("\"%1\" is not a stored register").arg(it.key());
            return false;
        }
        if (!it.value().isString() || !restored.set(name, it.value().toString().toLatin1())) {
            *error = QStringLiteral("bad value for %1").arg(it.key());
            return false;
        }
    }
    *this = restored;
    return true;
}
