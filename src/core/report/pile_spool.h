// The piles of a report too long to hold, kept in a scratch file as they are calculated, what was typed
// each pile's own name and its note, and given again from it each time the report's writers go through them.
#pragma once

#include "core/report/report_document.h"

#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace saxolith
{

class PileSpool
{
  public:
    explicit PileSpool(std::string path);

    // `ground`: a pile of another method, kept beside the file (such piles are few) and given back with it.
    void add(const CalculationInput &input, std::string_view pileName,
             std::shared_ptr<const GroundPile> ground = nullptr);
    // The pile as calculated, its note and ground kept with it.
    void add(const PileRecord &record, std::string_view pileName);
    int count() const { return m_count; }
    // A row that was not calculated, for the cover's list.
    void refuse(int line, std::string_view id, std::string_view reason);
    // The piles with a note among those added, and the rows refused.
    const ReportOutcomes &outcomes() const { return m_outcomes; }
    // Done with adding; false when the file could not be written whole.
    bool close();

    // Hands each pile, calculated again (as the whole book's report calculates its entries again) and
    // named as the book names it, to `take`; false when the file could not be read back whole.
    bool replay(const PileTaker &take) const;

  private:
    void field(std::string_view text);
    void write(const CalculationInput &input, std::string_view pileName, std::string_view note,
               std::shared_ptr<const GroundPile> ground);

    std::string m_path;
    std::ofstream m_out;
    std::string m_entry;
    int m_count = 0;
    std::map<int, std::shared_ptr<const GroundPile>> m_grounds; // by the pile's number
    ReportOutcomes m_outcomes;
};

} // namespace saxolith
