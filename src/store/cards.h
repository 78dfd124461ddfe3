#pragma once
// The chip-card records: one operator card and one waiter card, filled by the
// operator or waiter editor before a card write and by the card data
// procedures when a card is read. While bValid is True the editor shows the
// card instead of its table record.
#include <array>
#include <cstdint>
#include <string>

struct OpeCardRec {
    int16_t bValid = 0;                 // card data received and to be shown
    std::string strCodice;              // operator code
    std::string strCodice2;             // second (secret) code
    std::array<int16_t, 7> aP322{};     // rights bytes in elements 1 to 6
    std::string strData;                // card date
    std::string strNome;                // name
};

struct CamCardRec {
    int16_t bValid = 0;
    std::string strNumero;              // waiter number
    std::string strChiave;              // card key
    int32_t nClienti = 0, nArticoli = 0, nVendite = 0;  // counters on the card
    std::array<int16_t, 4> aExtra{};    // elements 1 to 3 travel
    std::string strData;                // card date
};

extern OpeCardRec OpeCard;
extern CamCardRec CamCard;
