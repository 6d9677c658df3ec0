// CSV through libcsv: quoting, line ends and line numbers; links and counts
// from GMNS-style tables; the long-form table written back.
#include <gtest/gtest.h>

#include <sstream>

#include "formats/csv_network.h"
#include "formats/csv_records.h"
#include "formats/csv_table_writer.h"
#include "support/test_support.h"

namespace veldmark {
namespace {

using testing::ScratchDir;

TEST(CsvRecords, QuotesLineEndsAndLineNumbers) {
  ScratchDir dir;
  // A byte order mark, CRLF, a quoted separator, a doubled quote, a line end
  // inside quotes, blanks around unquoted fields, an empty line, no final end.
  const std::string path = dir.write("t.csv",
                                     "\xEF\xBB\xBF"
                                     "a,b,c\r\n"
                                     "1,\"x, y\",\"say \"\"hi\"\"\"\r\n"
                                     "\r\n"
                                     " 2 ,\"two\nlines\",\r\n"
                                     "3,,z");
  CsvTable table;
  ASSERT_TRUE(readCsvTable(path, table).ok());
  EXPECT_EQ(table.header, (std::vector<std::string>{"a", "b", "c"}));
  ASSERT_EQ(table.records.size(), 3u);
  EXPECT_EQ(table.records[0].fields, (std::vector<std::string>{"1", "x, y", "say \"hi\""}));
  EXPECT_EQ(table.records[0].lineNumber, 2);
  EXPECT_EQ(table.records[1].fields, (std::vector<std::string>{"2", "two\nlines", ""}));
  EXPECT_EQ(table.records[1].lineNumber, 5);
  EXPECT_EQ(table.records[2].fields, (std::vector<std::string>{"3", "", "z"}));
  EXPECT_EQ(table.records[2].lineNumber, 6);

  EXPECT_EQ(readCsvTable(dir.write("q.csv", "a,b\n1,\"open\n2,3\n"), table).message,
            dir.file("q.csv") +
                ":3: malformed quoted field (a quote inside a field must be "
                "doubled, and a quoted field must be closed)");
  EXPECT_EQ(readCsvTable(dir.write("e.csv", "\n\n"), table).message,
            dir.file("e.csv") + ": no header line");
}

// A GMNS link table: quoted names with separators, columns the converter
// does not use, CRLF line ends; two parallel links from 1 to 2.
const char* kLinks =
    "link_id,name,from_node_id,to_node_id,length,\"free speed\"\r\n"
    "10,\"Main St, north\",1,2,0.5,50\r\n"
    "11,\"Main \"\"old\"\" St\",1,2,0.6,30\r\n"
    "12,Ring,2,3,1.0,70\r\n"
    "13,Ring,3,1,1.0,70\r\n";

TEST(CsvNetwork, LinksAndCountsFromGmnsTables) {
  ScratchDir dir;
  const std::string links = dir.write("link.csv", kLinks);
  const std::string counts = dir.write("counts.csv",
                                       "to_node_id,from_node_id,volume,note\n2,1,120,\"a, b\"\n"
                                       "1,3,7.5e1,\n2,1,0,\n");
  ForeignNetwork network;
  ASSERT_TRUE(readCsvNetwork(links, counts, "volume", network).ok());
  ASSERT_EQ(network.links.size(), 4u);
  const struct {
    NodeId from, to;
    bool observed;
    const char* flow;
    int line;
  } expected[] = {
      {1, 2, true, "120", 2}, {1, 2, true, "0", 3}, {2, 3, false, "", 4}, {3, 1, true, "7.5e1", 5}};
  for (int k = 0; k < 4; ++k) {
    const ForeignLink& link = network.links[k];
    EXPECT_EQ(link.from, expected[k].from);
    EXPECT_EQ(link.to, expected[k].to);
    EXPECT_EQ(link.observed, expected[k].observed);
    EXPECT_EQ(link.flow, expected[k].flow);
    EXPECT_EQ(link.lineNumber, expected[k].line);
    EXPECT_EQ(link.attributes[7], "0");
  }
}

TEST(CsvNetwork, EveryBadTableIsNamedWithItsLine) {
  ScratchDir dir;
  const std::string links = dir.write("link.csv", kLinks);
  const struct {
    const char* linksText;  // nullptr: kLinks
    std::string countsText;
    const char* message;  // after the file name
  } cases[] = {
      {"from,to_node_id\n1,2\n", "from_node_id,to_node_id,count\n",
       "link.csv:1: no column from_node_id in the header (its columns: from, to_node_id)"},
      {"FROM_NODE_ID,to_node_id,From_Node_Id\n1,2\n", "",
       "link.csv:1: column from_node_id is named twice in the header"},
      {"from_node_id,to_node_id\n1\n", "", "link.csv:2: no to_node_id value"},
      {"from_node_id,to_node_id\n1,2.5\n", "", "link.csv:2: node ids must be whole numbers"},
      {"from_node_id,to_node_id\n", "", "link.csv: no link records"},
      {nullptr, "from_node_id,to_node_id,flow\n1,2,3\n",
       "counts.csv:1: no column count in the header (its columns: from_node_id, to_node_id, "
       "flow); name the count column with --count-column"},
      {nullptr, std::string("from_node_id,to_node_id,count\n1,2,3") + '\0' + "9\n",
       "counts.csv:2: NUL byte (not a text file, or a damaged one)"},
      {nullptr, "from_node_id,to_node_id,count\n1,2,\n", "counts.csv:2: no count value"},
      {nullptr, "from_node_id,to_node_id,count\n1,2,-4\n",
       "counts.csv:2: observed flow \"-4\" is not a non-negative number"},
      {nullptr, "from_node_id,to_node_id,count\n1,2,many\n",
       "counts.csv:2: observed flow \"many\" is not a non-negative number"},
      {nullptr, "from_node_id,to_node_id,count\n2,1,5\n",
       "counts.csv:2: no link from 2 to 1 in LINKS"},
      {nullptr, "from_node_id,to_node_id,count\n2,3,5\n2,3,6\n",
       "counts.csv:3: more observed flows than links from 2 to 3"},
      {nullptr, "from_node_id,to_node_id,count\n", "counts.csv: no count records"},
  };
  for (const auto& c : cases) {
    const std::string linkPath = c.linksText ? dir.write("link.csv", c.linksText) : links;
    const std::string countPath = dir.write("counts.csv", c.countsText);
    ForeignNetwork network;
    std::string message = readCsvNetwork(linkPath, countPath, "count", network).message;
    const std::size_t at = message.find(linkPath);
    if (at != 0 && at != std::string::npos) message.replace(at, linkPath.size(), "LINKS");
    EXPECT_EQ(message, dir.path() + "/" + c.message);
    dir.write("link.csv", kLinks);
  }
}

TEST(CsvTableWriter, LongFormInTableOrderWithShortestRoundTripValues) {
  ZoneTable table;
  table.zones = {9, 4};
  table.values = {0.1 + 0.2, 1e-300, 12345.678, 2.0 / 3.0};
  std::ostringstream out;
  formatCsvTable(out, table);
  EXPECT_EQ(out.str(),
            "o_zone_id,d_zone_id,volume\n9,9,0.30000000000000004\n9,4,1e-300\n"
            "4,9,12345.678\n4,4,0.6666666666666666\n");
}

}  // namespace
}  // namespace veldmark
