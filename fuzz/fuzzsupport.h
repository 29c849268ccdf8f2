#pragma once

#include "portconf.h"
#include "settingsfile.h"
#include "wificonffile.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace fuzz {

// Ends the run when a property does not hold; libFuzzer keeps the input that
// broke it as a crash file.
void require(bool holds, const char *property);

// Hands out the fuzzer's bytes front to back; past the end it gives zeros, so
// that every input, however short, is a usable one.
class Input {
public:
    Input(const uint8_t *data, size_t size);

    int takeByte();
    QByteArray take(int count);
    QByteArray rest();

private:
    QByteArray bytes;
    int offset = 0;
};

// How many bytes at the end of the stream form a character that is still
// unfinished, or -1 when the bytes are not UTF-8 at all. Checked here rather
// than by a round trip through Qt, which would drop a leading U+FEFF.
int unfinishedUtf8Tail(const QByteArray &bytes);

// The bytes as raw UTF-16 in host order, lone surrogates and all; an odd last
// byte is dropped.
QString fromUtf16Bytes(const QByteArray &bytes);

// UTF-8 of text that holds no lone surrogate, encoded here rather than by Qt.
QByteArray utf8Of(const QString &text);

bool hasLoneSurrogate(const QString &text);

// A text cut in two: the first byte of the input says whether the rest is
// UTF-8 or raw UTF-16, and where the cut falls; its top bits are left over
// for the target's own use.
struct SplitText {
    QString whole;
    QString front;
    QString back;
    int spareBits = 0; // 0 to 3
};
SplitText takeSplitText(Input &input);

// The settings parser on bytes in memory. Qt 5.15's JSON parser leaks the
// array or object that a later member of the same name replaces, out of the
// program's reach; what it allocates here is not counted as a leak, which
// spares these targets the slow unwinder that suppressing it by name needs.
atlume::SettingsContent parseSettings(const QByteArray &bytes);

// What the window would save after loading conf: its defaults where the file
// gave nothing.
atlume::PortConfValues valuesOf(const atlume::PortConf &conf);
bool readsAs(const atlume::PortConf &conf, const atlume::PortConfValues &values);

// Credentials first: a length byte whose top bit asks for raw UTF-16 (lone
// surrogates included) rather than UTF-8, then that many bytes, split in half
// between SSID and password.
atlume::WifiCredentials takeCredentials(Input &input);

// LeakSanitizer keeps at most 255 frames of the stack that allocated a block,
// and Qt's JSON parser spends two on each level of nesting. Past about 120
// levels, the name that lsan.supp matches for Qt's own leak is cut off, so
// the file targets leave files that may nest that deep alone.
bool nestsShallowly(const QByteArray &json);

} // namespace fuzz
