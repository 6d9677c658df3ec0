// TNTP network and flow files as the research networks write them, the
// files converted from them read back by Veldmark's own readers, and every
// bad input named with its file and line.
#include <gtest/gtest.h>

#include <sstream>

#include "estimation/linearised/limits.h"
#include "formats/network_files.h"
#include "formats/tntp_network.h"
#include "input/abstract_network.h"
#include "input/link_file.h"
#include "input/link_flow_file.h"
#include "support/test_support.h"

namespace veldmark {
namespace {

using testing::ScratchDir;

// Metadata with trailing tabs, a column comment, tab- and blank-separated
// records with and without ";", a short record, CRLF, parallel links 2 -> 3.
const char* kNet =
    "<NUMBER OF ZONES> 2\t\t\n<NUMBER OF NODES> 3\n<FIRST THRU NODE> 1\n<NUMBER OF LINKS> 4\n"
    "<ORIGINAL HEADER>~ ignored\n<END OF METADATA>\t\t\n\n\n"
    "~\tinit_node\tterm_node\tcapacity\tlength\tfree_flow_time\tb\tpower\tspeed\ttoll\t"
    "link_type\t;\n"
    "\t1\t2\t25900.20064\t6\t6\t0.15\t4\t0\t0\t1\t;\n"
    "  2 3 1e3 0.00000000000000000000E+00 1 2 3 4 5 6 ; ~ a comment\r\n"
    "\t2\t3\t500\t1\t;\n"
    "3 1 7 7 7 7 7 7 7 7\n";
// The columns in another order than usual; the parallel links' flows in
// their order; a flow file without metadata.
const char* kFlow =
    "From \tTo \tCost \tVolume \n1 \t2 \t6.0008 \t4494.6576464564205 \n"
    "2\t3\t1\t10\n3 1 2.5 0\n2 3 1 20 ;\n";

TEST(TntpNetwork, ReadsLinksFlowsAndTheirTextsAsWritten) {
  ScratchDir dir;
  ForeignNetwork network;
  ASSERT_TRUE(readTntpNetwork(dir.write("n.tntp", kNet), dir.write("f.tntp", kFlow), network).ok());
  ASSERT_EQ(network.links.size(), 4u);
  EXPECT_EQ(network.sourceNote, "TNTP zones 2 first thru node 1");
  EXPECT_EQ(network.attributeNames, "capacity length free_flow_time b power speed toll link_type");
  const ForeignLink& first = network.links[0];
  EXPECT_EQ(first.attributes[0], "25900.20064");
  EXPECT_EQ(first.flow, "4494.6576464564205");
  EXPECT_EQ(first.second, "6.0008");
  EXPECT_EQ(network.links[1].attributes[1], "0.00000000000000000000E+00");
  EXPECT_EQ(network.links[1].attributes[7], "6");
  EXPECT_EQ(network.links[2].attributes[2], "0");  // a short record: the rest "0"
  EXPECT_EQ(network.links[1].flow, "10");
  EXPECT_EQ(network.links[2].flow, "20");
  EXPECT_EQ(network.links[2].lineNumber, 12);
  EXPECT_EQ(network.links[2].flowLineNumber, 5);
}

// The converted files, read by the estimator's own readers, give the same
// links, the same node numbers and the same flows, parallel links included;
// every metadata line stays within its limit even for a long file name.
TEST(NetworkFiles, ConvertedFilesReadBackAsTheSourceNetwork) {
  ScratchDir dir;
  ForeignNetwork network;
  const std::string longName(80, 'n');
  ASSERT_TRUE(
      readTntpNetwork(dir.write(longName + ".tntp", kNet), dir.write("f.tntp", kFlow), network)
          .ok());
  NetworkFiles files;
  ASSERT_TRUE(formatNetworkFiles(network, files).ok());
  EXPECT_NE(files.flows.find("\n2 3   10 1   20 1\n"), std::string::npos) << files.flows;
  for (const std::string* text : {&files.base, &files.abstract, &files.flows}) {
    std::istringstream lines(*text);
    std::string line;
    const int metadata = text == &files.flows ? kFlowMetadataLines : kMetadataLines;
    for (int k = 0; k < metadata && std::getline(lines, line); ++k) {
      EXPECT_LE(line.size(), static_cast<std::size_t>(kMetadataLineLimit)) << line;
    }
  }
  std::vector<LinkLine> base;
  ASSERT_TRUE(readLinkFile(dir.write("base.txt", files.base), base, kMaxLinks).ok());
  AbstractNetwork abstract;
  ASSERT_TRUE(readAbstractNetwork(dir.write("abstract.txt", files.abstract), abstract,
                                  kLinearisedNetworkLimits)
                  .ok());
  ASSERT_TRUE(readLinkFlowFile(dir.write("flows.txt", files.flows), abstract).ok());
  ASSERT_EQ(base.size(), network.links.size());
  ASSERT_EQ(abstract.linkCount(), static_cast<int>(network.links.size()));
  for (std::size_t k = 0; k < base.size(); ++k) {
    const ForeignLink& link = network.links[k];
    EXPECT_EQ(base[k].from, link.from);
    EXPECT_EQ(base[k].to, link.to);
    EXPECT_EQ(base[k].attributes[0], std::strtod(link.attributes[0].c_str(), nullptr));
    EXPECT_EQ(abstract.records[k].observedFlow, std::strtod(link.flow.c_str(), nullptr));
    EXPECT_EQ(abstract.records[k].observedSecondValue, std::strtod(link.second.c_str(), nullptr));
  }
}

TEST(TntpNetwork, EveryBadInputIsNamedWithItsLine) {
  ScratchDir dir;
  const std::string good = "<NUMBER OF LINKS> 2\n<END OF METADATA>\n1 2 5 ;\n2 1 5 ;\n";
  const std::string goodFlow = "From To Volume Cost\n1 2 3 4\n2 1 3 4\n";
  const struct {
    std::string net;
    std::string flow;
    const char* message;  // after the scratch directory
  } cases[] = {
      {"<NUMBER OF LINKS> 2\n1 2 5\n", goodFlow,
       "/n.tntp:2: metadata line \"<KEY> value\" expected"},
      {"<NUMBER OF LINKS> 2\n", goodFlow, "/n.tntp:1: no <END OF METADATA> line"},
      {"<END OF METADATA>\n1 x 5 ;\n", goodFlow, "/n.tntp:2: from and to node numbers expected"},
      {"<END OF METADATA>\n1 2 5 big ;\n", goodFlow, "/n.tntp:2: column 4 is not a number"},
      {"<END OF METADATA>\n~ nothing\n", goodFlow, "/n.tntp: no link records"},
      {"<NUMBER OF LINKS> 3\n<END OF METADATA>\n1 2 ;\n2 1 ;\n", goodFlow,
       "/n.tntp: <NUMBER OF LINKS> is 3 but 2 links were read"},
      {good, "From To Volume Cost\n1 2 3 4\n", "/n.tntp:4: link from 2 to 1 has no flow in FLOW"},
      {good, "From To Volume Cost\n1 2 -3 4\n",
       "/f.tntp:2: observed flow \"-3\" is not a non-negative number"},
      {good, "From To Volume Cost\n1 2 3 x\n", "/f.tntp:2: cost is not a number"},
      {good, "From To Volume Cost\n1 2\n", "/f.tntp:2: no volume"},
      {good, "1 3 3 4\n", "/f.tntp:1: no link from 1 to 3 in NET"},
      {good, goodFlow + "1 2 3 4\n", "/f.tntp:4: more observed flows than links from 1 to 2"},
  };
  for (const auto& c : cases) {
    const std::string net = dir.write("n.tntp", c.net);
    const std::string flow = dir.write("f.tntp", c.flow);
    ForeignNetwork network;
    std::string message = readTntpNetwork(net, flow, network).message;
    for (const auto& [path, name] : {std::pair{flow, "FLOW"}, std::pair{net, "NET"}}) {
      const std::size_t at = message.find(path, 1);
      if (at != std::string::npos) message.replace(at, path.size(), name);
    }
    EXPECT_EQ(message, dir.path() + c.message);
  }
  ForeignNetwork network;
  EXPECT_EQ(readTntpNetwork(dir.file("none.tntp"), dir.file("f.tntp"), network).message,
            dir.file("none.tntp") + ": cannot open: No such file or directory");
}

}  // namespace
}  // namespace veldmark
