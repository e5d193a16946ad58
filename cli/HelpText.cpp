#include "CommandLine.h"

#include <string>

#include "BatchCommand.h"
#include "LabOptions.h"
#include "MakeOptions.h"
#include "PictureOptions.h"
#include "decoder/Parameters.h"
#include "decoder/Explorer.h"
#include "picture/PictureLoader.h"

std::string HelpText() {
  const TParameterRange& resolver = RangeOf(TParameter::Resolver);
  const TParameterRange& warp = RangeOf(TParameter::Warp);
  const TExploreRange resolvers = TExploreGrid::DefaultResolvers();
  const auto number = [](std::int32_t value) { return std::to_string(value); };
  return R"(Usage: morilux-cli [--resolver N] [--warp N] [--force-version N] [--out DIR]
                   [--report FILE] [--json FILE] [--hide-answer] [--lang ja|en] [--raw] PICTURE
       morilux-cli --explore [--explore-resolver FROM:TO[:STEP]]
                   [--explore-warp FROM:TO[:STEP]] [--force-version N] [--out DIR]
                   [--report FILE] [--json FILE] [--hide-answer] [--lang ja|en] PICTURE
)" + MakeUsageText() + LabUsageText() + BatchUsageText() + R"(

Decodes the QR Code symbol in PICTURE ()" + PictureExtensionList() + R"(, any letter
case) and prints its text, running every stage the window shows.

Options:
  --resolver N       Binarization offset added to every grey level before it is
                     compared with the threshold (default )" + number(resolver.preset) + R"(). Any integer; values
                     outside )" + number(resolver.minimum) + ".." + number(resolver.maximum) + R"( are brought to the nearest limit.
  --warp N           Half-size, in module pitches, of the window in which the
                     symbol's bottom-right corner is sought (default )" + number(warp.preset) + R"(). Any
                     integer; values outside )" + number(warp.minimum) + ".." + number(warp.maximum) + R"( are brought to the nearest limit.
  --force-version N  0 detects the version from the picture (default); 1 to )" +
         number(RangeOf(TParameter::ForceVersion).maximum) + R"(
                     imposes that version.
  --out DIR          Writes every pane into DIR (created when missing):
                       <Pane>.png     each image pane that holds a picture, full
                                      size and lossless (Image1 and Image2 hold
                                      the loaded picture, FrontImage the
                                      binarized one, then ClossLineImage,
                                      TimeImage, AdjustImage, DigitImage,
                                      BlockImage, MaskImage, ResultImage);
                                      pictures of few colours as palette PNG,
                                      Image2 as a second link to Image1;
                       <Pane>.txt     each text pane in UTF-8, one line per
                                      line (ImgMemo, BLMemo, RdSnMemo, ResultMemo);
                       StatusBar.txt  status panel 0 (version) and panel 1
                                      (outcome), one line each.
                     All or nothing: on a failure the folder keeps the files it
                     had. Other files in DIR are never touched.
  --report FILE      Writes the analysis as one HTML file that opens offline in
                     any browser and prints on A4: the parameters, the outcome
                     and every page with its explanation, pictures and text
                     panes, the diagnosis with its plots. A JPEG picture is
                     embedded as its own file when a browser shows it as it
                     was analysed (no EXIF turn, no colour profile).
  --json FILE        Writes a summary for programs as JSON (its fields are
                     described in morilux-cli(1) and the README); with - as
                     FILE, standard output holds only the JSON.
  --explore          Runs the analysis for every Resolver and Warp of a grid and
                     prints a map of where each stopped; the text printed, the
                     exit status and --out, --report and --json then belong to
                     the chosen cell: the presets when they decode, else the
                     decoding cell nearest in Resolver (the lower on a tie) with
                     the highest Warp. Not with --resolver, --warp or --raw.
  --explore-resolver FROM:TO[:STEP]
                     Resolver values of the grid (default )" + number(resolvers.from) + ":" + number(resolvers.to) + ":" + number(resolvers.step) + R"(,
                     plus the preset )" + number(resolver.preset) + R"( when it lies within).
  --explore-warp FROM:TO[:STEP]
                     Warp values of the grid (default )" + number(warp.minimum) + ":" + number(warp.maximum) + R"().
  --hide-answer      An exercise: the report leaves out what gives the answer
                     away (the decoded text and result lines, the values of
                     the data codewords in BLMemo, the blocks' codewords in
                     RdSnMemo, the text read without correction, the texts of
                     --explore) and its answer sheet with them is written
                     beside it (FILE with -answer before its extension); the
                     pictures all stay. --json leaves out its text fields.
                     Standard output still prints the text.
  --lang ja|en       The language of the report's, the answer sheet's and the
                     --batch summary page's own texts: ja Japanese (default) or
                     en English; what the stages wrote, the decoded text and
                     file names stay as they are. The JSON does not change.
  --raw              Prints the decoded text as its raw Shift-JIS bytes, with no
                     conversion, no newline and no escapes, even on a terminal.
  --version          Prints the program's version.
  -h, --help         Prints this help.

)" + MakeHelpText() + R"(

)" + LabHelpText() + R"(

)" + PictureHelpText() + R"(

)" + BatchHelpText() + R"(

Output:
  On success the decoded text, converted from Shift-JIS to UTF-8, followed by a
  newline (bytes that are not valid Shift-JIS become U+FFFD); with --explore,
  the map comes first.
  When standard output is a terminal, control characters in the text are
  shown as escapes instead of being sent: \x1b for a C0 control (tab and
  newline excepted) or DEL, \u0085 for a C1 control (U+0080 to U+009F), \xff
  for a byte that is not UTF-8, and a backslash as \\. Messages on standard
  error, file names included, are shown the same way when it is a terminal.
  Output into a pipe or a file, the text of --raw and the files written stay
  byte for byte.
  Every file is written under a temporary name and renamed when complete, so
  that no partial file is ever left.

Exit status:
  0  the symbol was decoded (with --explore: some cell of the grid decoded)
  1  the decode failed; the error text is printed on standard error, followed
     by one line of diagnosis: the stage that stopped, what it measured and
     the best of the values tried after the analysis with how far it got (e.g.
     "stage: corners; ...; try --warp 2 decodes"), or that none got further
  2  usage error, unsupported extension, picture that cannot be loaded, or
     output that cannot be written; a one-line message on standard error
)";
}

