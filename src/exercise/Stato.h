#pragma once
// The exercise state: the record of the current sun that the exercise window's
// load, its keypad and its two timers read and write. It lives for the whole
// run: closing and reopening the exercise window keeps it, except for what the
// window load and a new sun reset. At program start every number is 0, every
// text empty and the flag false.

#include <QString>
#include <array>
#include <cstdint>

namespace exercise {

struct Stato
{
    std::array<std::uint8_t, 10> Addendi{}; // entries 0..7 used
    std::array<std::uint8_t, 10> Somme{};   // centre + addend, entries 0..7 used
    std::uint8_t NumeroEstratto = 0;
    // Entry n is "si" while n stands on a ray of the current sun; 1..10 used.
    std::array<QString, 12> TabellaUsati{};
    // The ray being entered, 0..7; 8 once a check has found all eight right.
    std::int16_t RaggioCorrente = 0;
    // Stored as a 16-bit 0/-1 flag in the design; a plain bool carries the same meaning.
    bool VerificaAvviata = false;
    std::int16_t ContatoreEsatte = 0;
    std::int16_t ContatoreErrori = 0;
    std::uint8_t ContatoreLampeggi = 0; // only its parity matters; wraps from 255 to 0
    std::int16_t PassoRimbalzo0 = 0;
    std::int16_t PassoRimbalzo1 = 0;
    std::int16_t PassoRimbalzo2 = 0;
    std::int16_t PassoRimbalzo3 = 0;
};

inline Stato state;

// The bounce step of disc i, PassoRimbalzo0 to PassoRimbalzo3.
inline std::int16_t &passoRimbalzo(Stato &stato, int i)
{
    switch (i) {
    case 0:
        return stato.PassoRimbalzo0;
    case 1:
        return stato.PassoRimbalzo1;
    case 2:
        return stato.PassoRimbalzo2;
    default:
        return stato.PassoRimbalzo3;
    }
}

} // namespace exercise
