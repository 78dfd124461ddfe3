#pragma once
// The default-file writers of every table file of a register folder, in one
// place for the folder opening.
//
// Each writer takes no arguments: it writes its file in the open register's
// folder (Core.strCashDir; PLU.txt in the shared folder when the "globplu"
// setting is on) with the number of records of the table's size counter
// (Sizes, set for the model before the writers run) and the model's defaults
// (ConfigLevel). A writer builds the whole file and puts it in place at once:
// it returns false, and leaves no partial file, when the file cannot be
// written (a missing or read-only folder, a full disk). Where the table says
// so the failure is shown in a message box, "<writer> - <description>", in
// interactive runs; nothing throws.

// Reparti.txt: nMaxReparti departments.
bool CreateReparto();
// RepFid.txt (nMaxReparti records), SubFid.txt (one record) and CirCli.txt
// (ten slots): the loyalty tables.
bool CreateRepFid();
bool CreateSubFid();
bool CreateCirCli();
// PLU.txt and Offerte.txt: empty, or filled with sample records when the
// start-up chooser asked for them (PLUFiles.bPredef). CreatePLU leaves an
// existing shared PLU file alone.
bool CreatePLU();
bool CreateOff();
// DirPLU.txt: nMaxDirPLU free slots.
bool CreateDirPLU();
// ModPag.txt: nMaxModPag payment types named from the language file.
bool CreateModPag();
// TicketAmount.txt: 34 meal tickets of 15 denominations (510 records).
bool CreateTicketAmount();
// Valute.txt: nMaxValute currencies; RResto.txt: nMaxRResto denominations.
bool CreateValuta();
bool CreateRResto();
// ScoMag.txt: nMaxScoMag discounts and surcharges; Bollini.txt: nMaxBollini
// stamps.
bool CreateScoMag();
bool CreateBollino();
// Operatori.txt: nMaxOpe operators; Camerieri.txt: nMaxCam waiters.
bool CreateOpe();
bool CreateCam();
// Brings an existing Operatori.txt of the older 57-character records to the
// current 58-character layout (the old file is kept as OpeTmp.txt). True when
// the file is in the current layout afterwards or is not an older operator
// file; false when the conversion failed (the file is then as it was).
bool ConvOpeFile();
// Clienti.txt: the empty customer archive.
bool CreateCli();
// ClientG.txt: nMaxClientG customer groups with blank descriptions.
bool CreateClientGroup();
// PrezPeso.txt: eleven price/weight codes.
bool CreatePrzPeso();
// GrpRep.txt: nMaxGrpRep department groups; GrpSta.txt: nMaxGrpSta
// statistic groups.
bool CreateGrpRep();
bool CreateGrpSta();
// IconText.txt: the icon messages of the open register.
bool CreateTestoIcone();
// FunMul.txt: nMaxFunMul multiple functions.
bool CreateFMult();
