#pragma once
// The request state: the pending-read flag of every readable table (-1 from
// the queued read to its closing line) and the file word of every table being
// sent, report or dump (65535 = open at the next request or line, a positive
// value = the open file's number, 65534 = finished). Saved and restored with
// the command queue as one block.
#include <cstdint>

constexpr uint16_t kFileOpenNext = 65535;
constexpr uint16_t kFileDone = 65534;

struct ReqStateRec {
    // Pending-read flags (-1 while the answer is awaited)
    int16_t bRdStorico = 0, bRdPrzPeso = 0, bRdOpeCard = 0, bWrOpeCard = 0, bRdCamCard = 0,
            bWrCamCard = 0, bRdGrpSta = 0, bWrGrpSta = 0, bRdReparto = 0, bRdRepFid = 0,
            bRdSubFid = 0, bRdConfScoMag = 0, bRdConfScoMag2 = 0, bRdCirCli = 0, bRdConfPLU = 0,
            bRdOpe = 0, bRdIntScontrino = 0, bRdOpeCamCli = 0, bRdModPag = 0,
            bRdTicketAmount = 0, bRdClientGroup = 0, bRdGrpRep = 0, bRdGlbCassa = 0,
            bRdScontrino = 0, bRdScoMag = 0, bRdBollino = 0, bRdGlbCassa2 = 0, bRdValuta = 0,
            bRdScontrino2 = 0, bRdOpGen = 0, bRdOpeCamCli2 = 0, bRdTabIva = 0,
            bRdTestoIcone = 0, bRdFMult = 0, bRdDirPLU = 0, bRdTastiera = 0, bRdCam = 0,
            bRdIconePeriodo = 0, bRdComm = 0;
    // File words of the receipt history, reports and dumps
    uint16_t nFileStorico = kFileDone;
    uint16_t nRptReparti = kFileDone, nRptPLU = kFileDone, nRptOperatori = kFileDone,
             nRptCamerieri = kFileDone, nRptIVA = kFileDone, nRptFinanziario = kFileDone,
             nRptBollini = kFileDone, nRptOraria = kFileDone, nRptClienti = kFileDone,
             nRptFatture = kFileDone, nRptTavoli = kFileDone, nRptTicketAmount = kFileDone,
             nRptValute = kFileDone;
    uint16_t nFileC08 = kFileDone, nFileC16 = kFileDone, nRptClientG = kFileDone,
             nFileCliChipCard = kFileDone;
    // Sending file words of the tables fed record by record
    uint16_t nTxBollino = kFileDone, nTxCam = kFileDone, nTxPLU = kFileDone, nTxCli = kFileDone,
             nTxFMult = kFileDone, nTxFMult2 = kFileDone, nTxDirPLU = kFileDone,
             nTxOff = kFileDone, nTxGrpRep = kFileDone, nTxGrpSta = kFileDone,
             nTxTestoIcone = kFileDone, nTxModPag = kFileDone, nTxTicketAmount = kFileDone,
             nTxOpe = kFileDone, nTxScoMag = kFileDone, nTxValuta = kFileDone,
             nTxCirCli = kFileDone, nTxRResto = kFileDone, nTxPrzPeso = kFileDone;
    uint16_t nFileChiusura = kFileDone;
    uint16_t nTxClientGroup = kFileDone;
    int16_t nRdDirPLUIdx = 0;
    int16_t nTxTastieraKey = 0;
    int16_t nTxTastieraLvl = 0;
    // -1 from the commit of a send until the first answer or data procedure
    // of a register's turn puts the send counters back (TxTurnStart).
    int16_t bTxTurnStart = 0;
};

extern ReqStateRec ReqState;
