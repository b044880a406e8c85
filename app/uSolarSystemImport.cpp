#include "app/uSolarSystemImport.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/uGameText.h"
#include "app/uVocabulary.h"
#include "data/uExceptions.h"
#include "text/Regex.h"
#include "text/uQuickStrings.h"

namespace {

// The Cyrillic letters of the Windows code page, so that \w takes Cyrillic names.
AnsiString CyrillicLetters() {
    AnsiString s;
    for (int c = 0xC0; c <= 0xFF; ++c) s += static_cast<char>(c);
    s += static_cast<char>(0xA8);  // capital Yo
    s += static_cast<char>(0xB8);  // small Yo
    return s;
}

AnsiString WithoutLineBreaks(const AnsiString& s) { return StringReplace(s, "\r\n", "", rfReplaceAll); }

AnsiString WithoutChar(AnsiString s, char c) {
    s.erase(std::remove(s.begin(), s.end(), c), s.end());
    return s;
}

// Hands every warning of a planet to the window's log.
struct PlanetLog {
    IImportHost& Host;
    void Log(TObject*, const AnsiString& Text) { Host.AddToLog(Text); }
};

[[noreturn]] void CellMissing(const char* Cell, const TRegex& Cells, const AnsiString& Row) {
    throw ETeskException(Format("Cell '%s' not found in galaxy table row. Expression: %s InputString: %s",
                                {Cell, Cells.Expression(), Row}));
}

// The page header "<word> G:S", found or raised.
void ReadHeader(TRegex& Regex, const AnsiString& Text, AnsiString& Galaxy, AnsiString& SolarSystem) {
    Regex.SetExpression(SolarSystemHeaderPattern());
    if (!Regex.Exec(Text)) throw ETeskException(Format("'%s x:x' not found", {SSSolarSystem}));
    Galaxy = Regex.Match(1);
    SolarSystem = Regex.Match(2);
}

// A status text of the plain form: each blank-separated token compared with
// the indicator letters as it stands, so "i" and "I" set different flags.
bool HasToken(const AnsiString& Status, const AnsiString& Indicator) {
    if (Indicator.empty()) return false;
    size_t i = 0;
    while (i < Status.size()) {
        while (i < Status.size() && Status[i] == ' ') ++i;
        size_t j = i;
        while (j < Status.size() && Status[j] != ' ') ++j;
        if (j > i && Status.compare(i, j - i, Indicator) == 0) return true;
        i = j;
    }
    return false;
}

void ProcessHtml(TdmMain* dm, ISolarSystemPage& Page, const AnsiString& Text) {
    const bool cfHtml = Text.compare(0, 11, "Version:0.9") == 0;
    TRegex rows;
    rows.SetModifierStr("igs");
    AnsiString galaxy, system;
    ReadHeader(rows, Text, galaxy, system);
    const int start = rows.MatchPos(0) + rows.MatchLen(0);
    rows.SetModifierStr("-g");
    if (cfHtml) {
        rows.SetExpression("(<TH.*>.*</TH>\\s+)</TR>");
        if (!rows.ExecPos(start))
            throw ETeskException(Format("First galaxy table row not found. Expression: %s", {rows.Expression()}));
    } else {
        rows.SetExpression("<TR>(.*)</TR>");
        if (!rows.ExecPos(start))
            throw ETeskException(Format("Galaxy table headers not found. Expression: %s", {rows.Expression()}));
        if (!rows.ExecNext())
            throw ETeskException(Format("First galaxy table row not found. Expression: %s", {rows.Expression()}));
    }
    ParseGalaxyTableRow(dm, Page, galaxy, system, Text, rows.Match(1));
    for (int read = 1; read < 15 && rows.ExecNext(); ++read)
        ParseGalaxyTableRow(dm, Page, galaxy, system, Text, rows.Match(1));
    Page.AddToLog(Format("%s - Message: Solar system %s:%s processed successfully", {LogTimeStamp(), galaxy, system}));
    Page.SetSolarSystemText("");
}

}  // namespace

AnsiString SolarSystemHeaderPattern() { return SSSolarSystem + " (\\d+):(\\d+)"; }

AnsiString FillPattern(const AnsiString& Pattern, const AnsiString& Value) {
    AnsiString out;
    bool filled = false;
    for (size_t i = 0; i < Pattern.size(); ++i) {
        if (Pattern[i] == '%' && i + 1 < Pattern.size()) {
            if (Pattern[i + 1] == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (!filled && (Pattern[i + 1] == 's' || Pattern[i + 1] == 'S')) {
                out += Value;
                filled = true;
                ++i;
                continue;
            }
        }
        out += Pattern[i];
    }
    return out;
}

void SetPlayerStatusFromClass(TPlanet& Planet, const AnsiString& ClassName) {
    struct Status {
        const AnsiString& Word;
        bool TPlanet::*Flag;
    };
    const Status statuses[] = {{SSStrong, &TPlanet::Strong},   {SSNoob, &TPlanet::Noob},
                               {SSVacation, &TPlanet::Vacation}, {SSBanned, &TPlanet::Banned},
                               {SSInactive, &TPlanet::Inactive}, {SSLongInactive, &TPlanet::LongInactive}};
    for (const Status& s : statuses)
        if (!s.Word.empty() && SameText(ClassName, s.Word)) {
            Planet.*s.Flag = true;
            return;
        }
}

void ParseGalaxyTableRow(TdmMain* dm, ISolarSystemPage& Page, const AnsiString& Galaxy,
                         const AnsiString& SolarSystem, const AnsiString& PageText, const AnsiString& RowText) {
    if (RowText.empty()) return;
    TRegex cells, item;
    cells.WordChars += CyrillicLetters();
    item.WordChars += CyrillicLetters();
    PlanetLog log{Page};
    TPlanet planet(dm);
    planet.OnLog = MakeEvent(&log, &PlanetLog::Log);

    cells.SetModifierStr("ris-g");
    cells.SetExpression("<TH.*>(.*)</TH>\\s+");
    if (!cells.Exec(RowText)) CellMissing("Pos", cells, RowText);
    item.SetExpression(">(\\d+)<");
    if (!item.Exec(cells.Match(1)))
        throw ETeskException(Format("Planetnumber not found in 'pos' cell. Expression: %s InputString: %s",
                                    {item.Expression(), cells.Match(1)}));
    planet.Galaxy = Galaxy;
    planet.SolarSystem = SolarSystem;
    planet.Position = item.Match(1);
    const int position = StrToIntOrDefault(planet.Position, 0);
    if (position < 1 || position > 15) throw ETeskException("Planetnumber outside of scope 1..15.");

    item.SetModifierStr("sir-g");
    item.SetExpression(SSDebris);
    if (item.Exec(cells.Match(0))) {
        planet.MetalDebris = WithoutChar(item.Match(1), '.');
        planet.CrystalDebris = WithoutChar(item.Match(2), '.');
    } else {
        planet.MetalDebris = planet.CrystalDebris = "0";
    }

    if (!cells.ExecNext()) CellMissing("Planet", cells, RowText);
    if (!cells.ExecNext()) CellMissing("Name", cells, RowText);
    item.SetModifierStr("gr-si");
    item.SetExpression(">\\s*([\\w\\s\\-]*\\w).*<");
    planet.PlanetName = item.Exec(cells.Match(0)) ? item.Match(1) : AnsiString();
    if (planet.PlanetName.empty()) {
        if (Page.DeletePlanets()) planet.CheckDestroyedColony();
        return;
    }

    if (!cells.ExecNext()) CellMissing("Moon", cells, RowText);
    planet.HasMoon = SmartPos("<IMG", cells.Match(0), false, 1, true) > 0;
    if (!cells.ExecNext()) CellMissing("Debris", cells, RowText);
    if (!cells.ExecNext()) CellMissing("Player", cells, RowText);
    const AnsiString playerCell = cells.Match(0);
    item.SetModifierStr("is-g");
    item.SetExpression(">([\\w.\\s-]*)</span");
    if (!item.Exec(playerCell))
        throw ETeskException(Format("Playername not found in 'player' cell. Expression: %s InputString: %s",
                                    {item.Expression(), playerCell}));
    planet.PlayerName = WithoutLineBreaks(Trim(item.Match(1)));

    item.SetModifierStr("i-s");
    // Names are matched as they stand: "." or "(" in a name is no pattern.
    item.SetExpression(FillPattern(SSPlayerNameOnRank, QuoteRegExprMetaChars(planet.PlayerName)));
    if (item.Exec(PageText)) planet.PlayerRank = item.Match(1);

    item.SetModifierStr("is-g");
    item.SetExpression("<SPAN.*class=(.*)>");
    for (bool more = item.Exec(playerCell); more; more = item.ExecNext())
        SetPlayerStatusFromClass(planet, WithoutChar(WithoutChar(item.Match(1), '\''), '"'));

    if (!cells.ExecNext()) CellMissing("Alliance", cells, RowText);
    item.SetExpression(">\\s*([\\.,\\w ()]+)<");
    if (item.Exec(cells.Match(0))) {
        const AnsiString candidate = item.Match(1);
        const AnsiString whole = item.Match(0);
        item.SetExpression(FillPattern(SSAllianceNameOnRankWithMembers, "(.*)"));
        if (item.Exec(whole)) {
            planet.AllianceName = item.Match(1);
            planet.AllianceRank = item.Match(2);
            planet.AllianceMembers = item.Match(3);
        } else {
            planet.AllianceName = WithoutLineBreaks(Trim(candidate));
            item.SetExpression(
                FillPattern(SSAllianceNameOnRankWithMembers, QuoteRegExprMetaChars(planet.AllianceName)));
            if (item.Exec(PageText)) {
                planet.AllianceRank = item.Match(1);
                planet.AllianceMembers = item.Match(2);
            }
        }
    }
    planet.Store();
}

void ProcessSolarSystem(TdmMain* dm, ISolarSystemPage& Page) {
    AnsiString text;
    try {
        text = Page.SolarSystemText();
        if (text.empty()) throw ETeskException("Nothing to process");
        Page.SetSolarSystemText(text);
    } catch (const std::exception& e) {
        Page.ReportError("solar system", e);
        return;
    }
    if (SmartPos("<table", text, false, 1, true) == 0) {
        ProcessSolarSystemText(dm, Page, text);
        return;
    }
    try {
        ProcessHtml(dm, Page, text);
        Page.Beep(MB_ICONASTERISK);
    } catch (const std::exception& e) {
        Page.ReportError("solar system", e);
    }
}

namespace {

// One position line of the text form, read before anything is stored.
struct TextPosition {
    bool Parsed = false;  // a line with the view's layout was found
    bool HasPlanet = false;
    AnsiString Name, Moon, Player, Alliance;
};

// The lines of the text, without their line breaks.
std::vector<AnsiString> TextLines(const AnsiString& Text) {
    std::vector<AnsiString> lines;
    size_t start = 0;
    while (start <= Text.size()) {
        size_t end = Text.find_first_of("\r\n", start);
        if (end == AnsiString::npos) end = Text.size();
        lines.push_back(Text.substr(start, end - start));
        start = end + 1;
        if (end < Text.size() && Text[end] == '\r' && end + 1 < Text.size() && Text[end + 1] == '\n') ++start;
    }
    return lines;
}

// The position a line shows: its first word, when that is a number 1..15.
int LinePosition(const AnsiString& Line) {
    size_t i = 0;
    while (i < Line.size() && (Line[i] == ' ' || Line[i] == '\t')) ++i;
    size_t j = i;
    while (j < Line.size() && j - i < 3 && Line[j] >= '0' && Line[j] <= '9') ++j;
    if (j == i || (j < Line.size() && Line[j] != ' ' && Line[j] != '\t')) return 0;
    const int position = std::atoi(Line.substr(i, j - i).c_str());
    return position >= 1 && position <= 15 ? position : 0;
}

// A line of only its position number, blanks and at least one TAB: an empty
// position, however many of its trailing empty cells the copy dropped.
bool IsEmptyPositionLine(const AnsiString& Line) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    size_t i = 0;
    while (i < Line.size() && blank(Line[i])) ++i;
    while (i < Line.size() && Line[i] >= '0' && Line[i] <= '9') ++i;
    while (i < Line.size() && blank(Line[i])) ++i;
    return i == Line.size() && Line.find('\t') != AnsiString::npos;
}

// The third TAB-separated cell, the planet's name, holds only blanks.
bool NameCellIsEmpty(const AnsiString& Line) {
    const size_t first = Line.find('\t');
    const size_t second = first == AnsiString::npos ? first : Line.find('\t', first + 1);
    if (second == AnsiString::npos) return false;
    const size_t third = Line.find('\t', second + 1);
    return Trim(Line.substr(second + 1, third == AnsiString::npos ? AnsiString::npos : third - second - 1)).empty();
}

// The view's columns (position, planet, name, moon, debris, player,
// alliance, action) each end with a TAB.
constexpr int kTextColumns = 8;

}  // namespace

void ProcessSolarSystemText(TdmMain* dm, ISolarSystemPage& Page, const AnsiString& Text) {
    try {
        TRegex a, b;
        a.SetModifierStr("ig");
        AnsiString galaxy, system;
        ReadHeader(a, Text, galaxy, system);
        a.SetModifierStr("-g");
        b.SetExpression("(.*) \\((.*)\\)");

        // Every position line is read before anything changes: a line that
        // lost the view's layout (its TABs, a column) refuses the whole view,
        // and a position without a line of its own is left as stored.
        // Position lines come in ascending order, so a number not above the
        // last one read begins no position line (a footer such as "3 planets
        // populated").
        std::array<TextPosition, 16> positions;
        int lastPosition = 0;
        for (const AnsiString& line : TextLines(Text.substr(a.MatchPos(0) - 1 + a.MatchLen(0)))) {
            const int position = LinePosition(line);
            if (position <= lastPosition) continue;
            lastPosition = position;
            TextPosition& p = positions[position];
            p.Parsed = true;
            if (IsEmptyPositionLine(line)) continue;
            if (std::count(line.begin(), line.end(), '\t') < kTextColumns)
                throw ETeskException(
                    Format("Line of position %d does not have the solar system view's layout: %s", {position, line}));
            a.SetExpression("\\s" + IntToStr(position) + " \\t \\t(.*)\\t( ?)\\t( ?)\\t(.*)\\t(.*)\\t *\\t");
            if (a.Exec(" " + line)) {
                p.Name = a.Match(1);
                p.Moon = a.Match(2);
                p.Player = a.Match(4);
                p.Alliance = a.Match(5);
                p.HasPlanet = true;
            } else if (!NameCellIsEmpty(line)) {
                // A planet whose line cannot be read is no empty position.
                throw ETeskException(
                    Format("Line of position %d does not have the solar system view's layout: %s", {position, line}));
            }
        }

        PlanetLog log{Page};
        for (int position = 1; position <= 15; ++position) {
            const TextPosition& p = positions[position];
            if (!p.Parsed) continue;
            TPlanet planet(dm);
            planet.OnLog = MakeEvent(&log, &PlanetLog::Log);
            planet.Position = IntToStr(position);
            planet.Galaxy = galaxy;
            planet.SolarSystem = system;
            if (p.HasPlanet) planet.PlanetName = b.Exec(p.Name) ? b.Match(1) : p.Name;
            // A line whose name cell is empty shows no planet, as in the HTML form.
            if (Trim(planet.PlanetName).empty()) {
                planet.CheckDestroyedColony();
                continue;
            }
            planet.HasMoon = p.Moon == " ";
            if (b.Exec(p.Player)) {
                planet.PlayerName = Trim(b.Match(1));
                const AnsiString status = b.Match(2);
                planet.Inactive = HasToken(status, SSInactiveIndicator);
                planet.LongInactive = HasToken(status, SSLongInactiveIndicator);
                planet.Banned = HasToken(status, SSBannedIndicator);
                planet.Vacation = HasToken(status, SSVacationIndicator);
                planet.Noob = HasToken(status, SSNoobIndicator);
                planet.Strong = HasToken(status, SSStrongIndicator);
            } else {
                planet.PlayerName = Trim(p.Player);
            }
            const AnsiString& alliance = p.Alliance;
            const bool marked = alliance.size() >= 4 && alliance.compare(alliance.size() - 4, 4, " (*)") == 0;
            planet.AllianceName = Trim(marked ? alliance.substr(0, alliance.size() - 4) : alliance);
            planet.Store();
        }
        Page.AddToLog(
            Format("%s - Message: Solar system %s:%s processed successfully", {LogTimeStamp(), galaxy, system}));
        Page.SetSolarSystemText("");
    } catch (const std::exception& e) {
        Page.ReportError("solar system", e);
    }
}
