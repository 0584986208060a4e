#pragma once
// What a screen reader says of the exercise, worked out from the exercise's
// state alone: each control's description, by its design name and index, and
// the window's name. The focused button's description carries the pupil's
// next step (the ray and its sum, the number typed, what the check found, a
// completed sun), because a screen reader speaks what it reads where the
// focus lands.

#include <QString>
#include <string_view>

namespace exercise {

class Esercizio;

// "Sole del 7", "Sole dell' 8": the sun of a centre, 0 to 10; empty for any other.
QString nomeSole(int centro);

// "Esercizio: sole del 7".
QString nomeFinestra(const Esercizio &esercizio);

// The description of the exercise window's control `controllo`(`indice`);
// empty for a control that has none.
QString descrizione(const Esercizio &esercizio, std::string_view controllo, int indice);

} // namespace exercise
