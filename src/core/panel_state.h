// The one record of all run state. Field names, types and start values are
// the panel's own vocabulary; start-up assigns the configured values.
#pragma once

#include <array>
#include <cstdint>

#include "base/files.h"
#include "base/platform.h"
#include "base/text.h"
#include "core/entry_mode.h"
#include "core/panel_mode.h"
#include "keldar/version.h"

namespace keldar {

// The panel window as the logic sees it; the pixels live in the front-end.
struct WindowRecord {
  bool open = false;
  int textX = 0;
  int textY = 0;
  FontSpec font;
  // What the window shows beyond the fixed fields: the transmit marker and
  // meters, a typed entry (so they are cleared once, when they end).
  bool showsTransmit = false;
  bool showsEntry = false;
};

constexpr int kBandCount = 14;
constexpr int kChannelCount = 100;

struct PanelState {
  // ---- Configuration -------------------------------------------------------
  int32_t comPort = 0;
  // Where the radio is served over TCP ("tcp:HOST:PORT"); empty: on comPort.
  BasicString radioAddress;
  int32_t baudRate = 0;
  int32_t powerLevel = 0;
  int32_t maxPower = 0;
  int32_t swrOnTx = 0;
  int32_t tunerSetting = 0;
  BasicString bandCoverage;
  int32_t powerSwitch = 0;
  int32_t dcsAllowed = 0;
  BasicString shift10m;
  int32_t shift10mMinus = 0;
  BasicString shift6m;
  int32_t shift6mMinus = 0;
  BasicString shift2m;
  int32_t shift2mMinus = 0;
  BasicString shift70cm;
  int32_t shift70cmMinus = 0;
  int32_t relayPort = 0;
  int32_t debugLog = 0;

  // ---- Program, files and fixed texts ----------------------------------------
  bool running = false;
  int32_t simulationMode = 0;
  BasicString versionText = kVersion;
  BasicString bannerText = "*** Keldar V " + std::string(kVersion) + " ***";
  BasicString phraseDir = "wave\\";
  WindowRecord panelWindow;
  FileHandle debugFile;
  FileHandle configFile;
  FileHandle memoryFile;
  FileHandle listingFile;
  // savmem.dat or memory.txt was found not to be a plain file: neither is
  // read or written this run.
  bool bankFilesRefused = false;
  // A quit whose save failed: the next Q ends, saved or not.
  bool quitUnsaved = false;
  int32_t serialDataBits = 8;
  int32_t serialParity = 0;
  int32_t serialStopBits = 2;
  BasicString modeCommandLsb = "MD01";
  BasicString modeCommandUsb = "MD02";
  BasicString modeCommandCw = "MD03";
  BasicString modeCommandAm = "MD05";
  BasicString modeCommandFmNarrow = "MD0B";
  BasicString modeCommandC4fm = "MD0E";
  BasicString modeCommandFmWide = "MD04";

  // ---- Radio link and polling ------------------------------------------------
  BasicString commandText;
  ReplyBuffer replyText;
  int32_t portBytes = 0;
  BasicString lastFrequencyCommand;
  BasicString debugLine;
  int32_t radioId = 0;
  bool connected = false;
  int32_t quitCountdown = 0;
  // 1 on the tick after a poll was sent: polls go out every other tick.
  int32_t replyPending = 0;
  int32_t pollPhase = 0;
  int32_t tickCount = 0;
  // True while the set-up of a radio that has just answered is under way.
  bool setupRunning = false;
  // Meter polls in a row the radio left unanswered, and when one was last
  // tried after the meter was given up on.
  int32_t meterPollsUnanswered = 0;
  uint32_t meterRetryMs = 0;
  // The mode poll likewise, and when it was last sent.
  int32_t modePollsUnanswered = 0;
  uint32_t modeRetryMs = 0;
  uint32_t modePollMs = 0;
  bool relayActive = false;
  BasicString relayPending;
  BasicString relayChunk;
  int32_t relayPos = 0;
  // The unfinished end of the last poll read, completed by the next one.
  BasicString pollReplyTail;
  int32_t relayFaPos = 0;
  // True while the other program has keyed the transmitter through the relay:
  // its own unkeying cannot reach the radio once the panel is gone.
  bool relayKeyed = false;
  // Commands sent that move the radio (frequency, mode, band, VFO). Each
  // query keeps the count of its moment: a frequency answer to one older
  // than the latest command is stale.
  int32_t commandCount = 0;
  // Digits of the radio's frequency answers as it has shown them: 8 or 9, 0
  // while none has come (the model table then gives the first guess).
  int32_t frequencyDigits = 0;
  // True once the link has echoed the panel's own "FA;" back.
  bool linkEchoes = false;
  // Commands written since the last read, ";" each: what an echo may repeat.
  BasicString sentSinceRead;
  // The link watch: true from "lost" until the radio answers and is set up again.
  bool linkLost = false;
  int32_t unansweredPolls = 0;
  // Clock ticks (ms) of the last answer and of the last try to reopen.
  uint32_t lastAnswerMs = 0;
  uint32_t lastRetryMs = 0;
  // True while the radio's port is open as far as the panel knows.
  bool radioPortOpen = false;
  // True from opening the port (or losing the radio) until what is there has
  // answered as a radio: until then it is asked only who it is.
  bool deviceUnproven = false;
  // True once a radio has been connected in this run: a later set-up brings it
  // back to the panel's state rather than to the band's stored one.
  bool everConnected = false;

  // ---- Frequency, band and mode ------------------------------------------------
  int32_t frequency = 0;
  BasicString frequencyDisplay;
  BasicString frequencyReply;
  BasicString vfoAText;
  BasicString vfoBText;
  int32_t vfoB = 0;
  BasicString splitFrequencyText;
  int32_t bandIndex = 4;
  // Rows 1..14 at indices 1..14; index 0 is unused so that row i is band i.
  std::array<BasicString, kBandCount + 1> bandTable{};
  bool bandRecordValid = false;
  // One of the PanelMode values while it is sound; see core/panel_mode.h.
  int32_t modeIndex = kLsb;
  // The radio's own mode code ('C': DATA-U) when it is one the panel has no
  // key for; it holds while modeIndex is still radioModeOf, its nearest mode.
  char radioModeCode = 0;
  int32_t radioModeOf = 0;
  bool wideFm = false;
  int32_t savedMode = 0;
  int32_t repeaterMode = 0;
  bool announceOnReply = false;
  int32_t frequencyTracking = 0;

  // ---- Levels --------------------------------------------------------------------
  int32_t afGain = 50;
  int32_t rfGain = 250;
  int32_t micGain = 0;
  int32_t keySpeed = 15;
  int32_t widthIndex = 14;
  int32_t ssbWidthIndex = 14;
  int32_t cwWidthIndex = 11;
  bool quietLimits = true;
  int32_t squelchLevel = 8;
  int32_t contourFrequency = 1200;
  int32_t processorLevel = 0;
  int32_t noiseBlankerLevel = 0;
  int32_t noiseReductionLevel = 1;
  BasicString monitorLevel = "050";

  // ---- Functions on and off ----------------------------------------------------
  int32_t preampOn = 0;
  int32_t preampLevel = 0;
  int32_t attenuatorOn = 0;
  int32_t noiseBlankerOn = 0;
  int32_t noiseReduction = 0;
  int32_t notchOn = 0;
  int32_t contourState = 0;
  int32_t speechProcessor = 0;
  int32_t breakInOn = 0;
  int32_t voxOn = 0;
  int32_t monitorOn = 0;
  bool tunerArmed = false;
  int32_t levelTarget = 0;

  // ---- Transmit and meters -----------------------------------------------------
  int32_t txState = 0;
  bool tuneActive = false;
  int32_t swrHoldOff = 0;
  BasicString swrText;
  int32_t sMeterReading = 0;
  // True once the radio has answered an S-meter query: until then there is no
  // reading to speak or show.
  bool sMeterAnswered = false;
  int32_t alcAnnounce = 0;
  int32_t alcPeak = 0;
  // Meter readings for network clients: the query ("RM4") the next meter
  // poll asks instead of its own, and the latest raw readings, -1 unread;
  // meterReadings counts the readings taken.
  BasicString meterWanted;
  int32_t meterForNetwork = 0;
  int32_t swrReading = -1;
  int32_t alcReading = -1;
  int32_t compReading = -1;
  uint32_t meterReadings = 0;
  int32_t speakingTxFrequency = 0;

  // ---- Keys and multi-key entries ------------------------------------------------
  int32_t keyCode = 0;
  int32_t keyDown = 0;
  // An EntryMode (core/entry_mode.h).
  int32_t pendingMode = kEntryNone;
  bool toneEntry = false;
  BasicString toneCode = "999";
  BasicString savedToneCode;
  int32_t toneIsDcs = 0;
  bool toneBeingApplied = false;
  bool freqEntryActive = false;
  int32_t freqEntryValue = 999;
  int32_t freqEntryMhzDigits = 0;
  bool freqEntryPointTyped = false;
  int32_t freqEntryBand = 0;
  BasicString menuNumber;
  BasicString menuValue;
  int32_t memoryMode = 0;
  int32_t memoryBankStep = 0;
  int32_t channelBank = 99;
  int32_t channelSlot = 0;
  std::array<BasicString, kChannelCount> memoryChannels{};
  // Keys held down now, by virtual-key code: a key-down of a held key is its
  // auto-repeat and does nothing.
  std::array<uint8_t, 256> keysHeld{};
  // True from I until its Enter: tone digits are collected only then.
  bool toneTyping = false;
  // The keys of the entry open now, as typed ("E 14.2"), for the window.
  BasicString typedEntry;

  // ---- Scratch values --------------------------------------------------------------
  int32_t scratchValue = 0;
  int32_t entryInvalid = 0;
  int32_t menuValueEnd = 0;
  BasicString numberText;
  BasicString workText;

  // ---- Set by the runtime ----------------------------------------------------------
  int32_t currentMessage = 0;
  int32_t currentWParam = 0;
  int32_t numberPrecision = 2;
};

// The default band rows 1..14 (index 0 unused).
extern const std::array<const char*, kBandCount + 1> kDefaultBandTable;

}  // namespace keldar
