// Each pile a record of length-prefixed fields: the input's four choices, its six texts, the name and the
// note.
#include "core/report/pile_spool.h"

#include "core/book/calculation_book.h"
#include "core/capacity/calculation.h"
#include "core/save/file_system.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace saxolith
{

namespace
{

constexpr std::size_t fieldCount = 12;

void takeEntry(std::string_view bytes, int number, const PileTaker &take,
               const std::shared_ptr<const GroundPile> &ground)
{
    std::vector<std::string> fields;
    while (bytes.size() >= sizeof(std::uint32_t)) {
        std::uint32_t size = 0;
        std::memcpy(&size, bytes.data(), sizeof size);
        fields.emplace_back(bytes.substr(sizeof size, size));
        bytes.remove_prefix(std::min<std::size_t>(bytes.size(), sizeof size + size));
    }
    if (fields.size() != fieldCount) {
        return;
    }
    CalculationInput input = defaultCalculationInput();
    input.sectionItem = std::stoi(fields[0]);
    input.route = static_cast<StrengthRoute>(std::stoi(fields[1]));
    input.psiMode = static_cast<PsiMode>(std::stoi(fields[2]));
    input.precision = std::stoi(fields[3]);
    input.firstDimension = std::move(fields[4]);
    input.secondDimension = std::move(fields[5]);
    input.qpa = std::move(fields[6]);
    input.frk = std::move(fields[7]);
    input.integrity = std::move(fields[8]);
    input.manualPsi = std::move(fields[9]);
    BookEntry entry;
    entry.input = std::move(input);
    entry.ground = ground;
    if (CalculationOutcome outcome = entryOutcome(entry); outcome.record) {
        outcome.record->note = std::move(fields[11]);
        take(*outcome.record, bookEntryName(number, fields[10]));
    }
}

} // namespace

PileSpool::PileSpool(std::string path) : m_path(std::move(path)), m_out(filePath(m_path), std::ios::binary) {}

void PileSpool::add(const CalculationInput &input, std::string_view pileName,
                    std::shared_ptr<const GroundPile> ground)
{
    // The calculation's hint, as the whole book's report finds it.
    write(input, pileName, calculate(input).record.value_or(PileRecord{}).note, std::move(ground));
}

void PileSpool::add(const PileRecord &record, std::string_view pileName)
{
    write(record.input, pileName, record.note, record.ground);
}

void PileSpool::refuse(int line, std::string_view id, std::string_view reason)
{
    m_outcomes.refused.push_back({line, std::string(id), std::string(reason)});
}

void PileSpool::write(const CalculationInput &input, std::string_view pileName, std::string_view note,
                      std::shared_ptr<const GroundPile> ground)
{
    if (ground) {
        m_grounds.emplace(m_count + 1, std::move(ground));
    }
    m_outcomes.noted += note.empty() ? 0 : 1;
    m_entry.clear();
    for (const int number :
         {input.sectionItem, static_cast<int>(input.route), static_cast<int>(input.psiMode), input.precision}) {
        field(std::to_string(number));
    }
    for (const std::string_view text : std::initializer_list<std::string_view>{
             input.firstDimension, input.secondDimension, input.qpa, input.frk, input.integrity,
             input.manualPsi, pileName, note}) {
        field(text);
    }
    const auto size = static_cast<std::uint32_t>(m_entry.size());
    m_out.write(reinterpret_cast<const char *>(&size), sizeof size);
    m_out.write(m_entry.data(), static_cast<std::streamsize>(m_entry.size()));
    ++m_count;
}

bool PileSpool::close()
{
    m_out.close();
    return static_cast<bool>(m_out);
}

bool PileSpool::replay(const PileTaker &take) const
{
    std::string carried;
    int number = 0;
    const bool read = readFileInPieces(m_path, std::size_t{1} << 20, [&](std::string_view bytes) {
        carried.append(bytes);
        std::size_t at = 0;
        std::uint32_t size = 0;
        while (carried.size() - at >= sizeof size) {
            std::memcpy(&size, carried.data() + at, sizeof size);
            if (carried.size() - at - sizeof size < size) {
                break;
            }
            ++number;
            const auto ground = m_grounds.find(number);
            takeEntry(std::string_view(carried).substr(at + sizeof size, size), number, take,
                      ground == m_grounds.end() ? nullptr : ground->second);
            at += sizeof size + size;
        }
        carried.erase(0, at);
        return true;
    });
    return read && carried.empty() && number == m_count;
}

void PileSpool::field(std::string_view text)
{
    const auto size = static_cast<std::uint32_t>(text.size());
    m_entry.append(reinterpret_cast<const char *>(&size), sizeof size);
    m_entry.append(text);
}

} // namespace saxolith
