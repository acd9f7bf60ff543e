// The one error type for client-visible failures: number, source, description.
// Device objects throw it; the D-Bus object server turns it into the error
// org.korvex.Error "0x%08X<TAB>source<TAB>description" in exactly one place.
#pragma once

#include <QString>
#include <cstdint>
#include <exception>

namespace korvex {

// Error numbers raised to clients.
namespace err {
inline constexpr uint32_t NotImplemented = 0x80040400;
inline constexpr uint32_t NotConnected = 0x80040402;
inline constexpr uint32_t MoveDuringCompensation = 0x80040403;
inline constexpr uint32_t OutOfRange = 0x80040404;
inline constexpr uint32_t ComponentMissing = 0x80040405;
inline constexpr uint32_t WheelSlip = 0x80040406;
}  // namespace err

class KorvexError : public std::exception {
public:
    KorvexError(uint32_t number, QString source, QString description)
        : number_(number), source_(std::move(source)), description_(std::move(description)),
          what_(description_.toUtf8()) {}

    uint32_t Number() const { return number_; }
    // Signed form, as COM clients see it (0x80040402 is -2147220478).
    int32_t SignedNumber() const { return static_cast<int32_t>(number_); }
    const QString& Source() const { return source_; }
    const QString& Description() const { return description_; }
    const char* what() const noexcept override { return what_.constData(); }

private:
    uint32_t number_;
    QString source_;
    QString description_;
    QByteArray what_;
};

}  // namespace korvex
