#include <gtest/gtest.h>
#include <openssl/evp.h>

#include "control/banner_picture.h"
#include "host/panel_svg.h"
#include "support/host_run.h"
#include "support/temp_dir.h"
#include "support/xml_tree.h"

namespace hv {
namespace {

using testing::parseXml;
using testing::runHostWith;
using testing::XmlElement;

std::string panelSvg(std::vector<std::string> extra = {}) {
  std::vector<std::string> args = {"panel", "--svg", "-"};
  args.insert(args.end(), extra.begin(), extra.end());
  const auto r = runHostWith(args);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  return r.out;
}

std::vector<std::uint8_t> base64Decoded(const std::string& text) {
  std::vector<std::uint8_t> out(text.size() / 4 * 3);
  const int n = EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(text.data()),
                                static_cast<int>(text.size()));
  EXPECT_GE(n, 0);
  out.resize(static_cast<std::size_t>(n) - (text.ends_with("==") ? 2 : text.ends_with("=")));
  return out;
}

// The ids of the root's children, in document (painting) order.
std::vector<std::string> paintedIds(const XmlElement& root) {
  std::vector<std::string> ids;
  for (const auto& c : root.children)
    ids.push_back(c->attribute("id"));
  return ids;
}

TEST(PanelCommand, DrawsTheVisibleChildrenWhereTheLayoutPutsThem) {
  const auto root = parseXml(panelSvg());
  ASSERT_EQ(root->name, "svg");
  EXPECT_EQ(root->attribute("width"), "361");
  EXPECT_EQ(root->attribute("height"), "120");
  EXPECT_EQ(root->attribute("viewBox"), "0 0 361 120");
  EXPECT_EQ(root->byId("Base")->attribute("fill"), "#FFFFFF");
  struct Placed {
    const char* id;
    const char *x, *y, *width, *height;
  };
  // Twips over 15.
  const Placed placed[] = {
      {"lblDownload", "8", "56", "249", "17"}, {"Shape1", "1", "17", "353", "96"},
      {"Image1", "0", "4", "354", "34"},       {"lblMessage", "38", "12", "278", "16"},
      {"prgDownload", "8", "80", "337", "25"},
  };
  for (const auto& p : placed) {
    SCOPED_TRACE(p.id);
    const XmlElement* e = root->byId(p.id);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->name, "svg");
    EXPECT_EQ(e->attribute("x"), p.x);
    EXPECT_EQ(e->attribute("y"), p.y);
    EXPECT_EQ(e->attribute("width"), p.width);
    EXPECT_EQ(e->attribute("height"), p.height);
  }
  // Earlier children lie on top: the caption after the banner, the banner after the frame.
  EXPECT_EQ(paintedIds(*root), (std::vector<std::string>{"Base", "lblDownload", "Shape1", "Image1",
                                                         "lblMessage", "prgDownload"}));
  EXPECT_EQ(root->byId("InetDownloader1"), nullptr);
  EXPECT_EQ(root->byId("Inet1"), nullptr);
}

TEST(PanelCommand, CaptionsInTheirFontsAndColours) {
  const auto root = parseXml(panelSvg());
  const XmlElement* message = root->byId("lblMessage");
  const XmlElement* caption = message->child("text");
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(caption->text, "Downloading Corvantis Halverine  ");
  EXPECT_EQ(caption->attribute("xml:space"), "preserve");
  EXPECT_EQ(caption->attribute("fill"), "#FFFFFF");
  EXPECT_NE(caption->attribute("font-family").find("Verdana"), std::string::npos);
  EXPECT_EQ(caption->attribute("font-size"), "13");  // 9.75 pt at 96 pixels an inch
  EXPECT_EQ(caption->attribute("font-weight"), "bold");
  EXPECT_EQ(message->child("rect"), nullptr) << "a white background would hide the white caption";

  const XmlElement* status = root->byId("lblDownload");
  const XmlElement* text = status->child("text");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->text, "Download Progress");
  EXPECT_EQ(text->attribute("fill"), "#000000");
  EXPECT_NE(text->attribute("font-family").find("MS Sans Serif"), std::string::npos);
  EXPECT_EQ(text->attribute("font-size"), "11");
  EXPECT_EQ(text->attribute("font-weight"), "bold");
  ASSERT_NE(status->child("rect"), nullptr);
  EXPECT_EQ(status->child("rect")->attribute("fill"), "#FFFFFF");
}

TEST(PanelCommand, EmbedsTheBannerGifItself) {
  const auto root = parseXml(panelSvg());
  const XmlElement* image = root->byId("Image1")->child("image");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->attribute("width"), "354");
  EXPECT_EQ(image->attribute("height"), "34");
  const std::string prefix = "data:image/gif;base64,";
  const std::string& href = image->attribute("xlink:href");
  ASSERT_TRUE(href.starts_with(prefix));
  const auto gif = persistedPictureData(bannerPicture());
  EXPECT_EQ(base64Decoded(href.substr(prefix.size())),
            std::vector<std::uint8_t>(gif.begin(), gif.end()));
}

TEST(PanelCommand, TheBarFillsInProportionToTheValue) {
  // The fill runs inside a 2-pixel inset of the 337-pixel bar.
  const std::pair<const char*, const char*> cases[] = {
      {nullptr, "0"}, {"0", "0"}, {"1", "3.33"}, {"50", "166.5"}, {"100", "333"}};
  for (const auto& [value, width] : cases) {
    const auto root = parseXml(value ? panelSvg({"--value", value}) : panelSvg());
    const XmlElement* fill = root->byId("prgDownload-value");
    ASSERT_NE(fill, nullptr);
    EXPECT_EQ(fill->attribute("width"), width) << (value ? value : "default");
  }
  EXPECT_EQ(panelSvg({"--value=50"}), panelSvg({"--value", "50"}));
}

TEST(PanelCommand, RefusesBadArgumentsWithAUsageError) {
  const std::vector<std::vector<std::string>> cases = {
      {"panel"},
      {"panel", "--value", "5"},
      {"panel", "--svg"},
      {"panel", "--svg="},
      {"panel", "--svg", "-", "--value", "101"},
      {"panel", "--svg", "-", "--value", "-1"},
      {"panel", "--svg", "-", "--value", "abc"},
      {"panel", "--svg", "-", "--value", "50.5"},
      {"panel", "--svg", "-", "--value", "5x"},
      {"panel", "--svg", "-", "--value", ""},
      {"panel", "--svg", "-", "--value", "4294967346"},
      {"panel", "--svg", "-", "extra"},
  };
  for (const auto& args : cases) {
    const auto r = runHostWith(args);
    EXPECT_EQ(r.status, 2) << args.back();
    EXPECT_EQ(r.out, "") << args.back();
    EXPECT_NE(r.err.find("hvdetector --help"), std::string::npos) << args.back();
  }
  EXPECT_NE(runHostWith({"panel", "--svg", "-", "--value", "101"})
                .err.find("--value must be a whole number from 0 to 100, not \"101\""),
            std::string::npos);
}

TEST(PanelCommand, WritesTheFileOrSaysWhyNot) {
  testing::TempDir dir;
  const auto file = dir / "panel.svg";
  const auto r = runHostWith({"panel", "--svg", file.string(), "--value", "30"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(testing::readFile(file), panelSvg({"--value", "30"}));

  for (const auto& bad : {(dir / "missing" / "panel.svg").string(), dir.path().string()}) {
    const auto failed = runHostWith({"panel", "--svg", bad});
    EXPECT_EQ(failed.status, 1) << bad;
    EXPECT_NE(failed.err.find("hvdetector panel: cannot write \"" + bad + "\": "),
              std::string::npos)
        << failed.err;
  }
}

TEST(PanelCommand, TheReadmePictureIsWhatTheCommandDraws) {
  EXPECT_EQ(testing::readFile(HVDETECTOR_SOURCE_DIR "/docs/panel.svg"), panelSvg())
      << "rewrite it: hvdetector panel --svg docs/panel.svg";
}

TEST(PanelSvg, EscapesCaptionsAndRefusesWhatItCannotDraw) {
  UserControlLayout layout{.className = "Panel",
                           .backColor = 0x00336699,
                           .designWidth = 150,
                           .designHeight = 30,
                           .visibleAtRunTime = true,
                           .settings = {},
                           .children = {{.name = "lblOdd",
                                         .kind = ChildKind::Label,
                                         .rect = {15, 15, 105, 15},
                                         .caption = u"<a href=\"x\">&amp;</a> \u00e9",
                                         .foreColor = 0x000000FF}}};
  const auto root = parseXml(hv::panelSvg(layout, 0));
  EXPECT_EQ(root->byId("Panel")->attribute("fill"), "#996633");  // stored as blue, green, red
  const XmlElement* text = root->byId("lblOdd")->child("text");
  EXPECT_EQ(text->text, "<a href=\"x\">&amp;</a> \xC3\xA9");
  EXPECT_EQ(text->attribute("fill"), "#FF0000");
  EXPECT_EQ(root->byId("lblOdd")->child("rect"), nullptr) << "no stored background";

  layout.children.push_back({.name = "ctlOther",
                             .kind = ChildKind::ExternalControl,
                             .progId = "Other.Control",
                             .rect = {0, 0, 15, 15}});
  EXPECT_THROW(hv::panelSvg(layout, 0), std::invalid_argument);
  layout.children.back().visibleAtRunTime = false;
  EXPECT_NO_THROW(hv::panelSvg(layout, 0));

  EXPECT_THROW(hv::panelSvg(baseLayout(), 100.5f), std::invalid_argument);
  EXPECT_THROW(hv::panelSvg(baseLayout(), -0.5f), std::invalid_argument);
}

TEST(Cli, HelpListsThePanelCommand) {
  EXPECT_NE(runHostWith({"--help"}).out.find("panel --svg FILE [--value N]"), std::string::npos);
}

}  // namespace
}  // namespace hv
