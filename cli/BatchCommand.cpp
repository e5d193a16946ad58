#include "BatchCommand.h"

#include <QFile>

#include <algorithm>
#include <filesystem>
#include <set>
#include <vector>

#include "classset/ClassSet.h"
#include "common/VisibleText.h"
#include "picture/PictureLoader.h"
#include "report/AnswerSheet.h"
#include "report/ClassSummary.h"
#include "report/HtmlReport.h"
#include "report/JsonSummary.h"
#include "report/OutputFiles.h"

namespace fs = std::filesystem;

namespace {

const char* const kProgram = "morilux-cli";

std::string Encoded(const QString& name) { return QFile::encodeName(name).toStdString(); }

// The report of a picture, beside the summary: its name with ".html" added,
// so that a.jpg and a.bmp have reports of their own.
std::string ReportName(const std::string& picture) { return picture + ".html"; }

// Where the files go: the summary's folder and name, every file's path.
struct TPlacement {
  std::string folder;
  std::string summary;
  std::string answers;
};

// The summary's folder and names; throws TOutputError when two files would
// have one name or the summary's name is a folder's.
TPlacement Place(const TBatchArguments& arguments, const std::vector<std::string>& pictures) {
  TPlacement placement;
  std::set<fs::path> taken;
  const auto take = [&](const fs::path& path, const std::string& what) {
    if (!taken.insert(fs::absolute(path).lexically_normal()).second)
      throw TOutputError("cannot write " + path.string() + ": " + what + " would have the name of another file written");
  };
  if (arguments.report) {
    const fs::path summary(Encoded(*arguments.report));
    if (!summary.has_filename()) throw TOutputError("cannot write " + summary.string() + ": the name is a folder");
    placement.folder = summary.has_parent_path() ? summary.parent_path().string() : std::string(".");
    placement.summary = summary.filename().string();
    take(summary, "the summary");
    if (arguments.hideAnswer) {
      placement.answers = fs::path(AnswerSheetPath(placement.summary)).filename().string();
      take(fs::path(placement.folder) / placement.answers, "the summary's answer sheet");
    }
    for (const std::string& picture : pictures) {
      const std::string report = ReportName(picture);
      take(fs::path(placement.folder) / report, "the report of " + picture);
      if (arguments.hideAnswer) take(fs::path(placement.folder) / AnswerSheetPath(report), "the answer sheet of " + picture);
    }
  }
  if (arguments.json && *arguments.json != QStringLiteral("-")) take(fs::path(Encoded(*arguments.json)), "--json");
  return placement;
}

// The picture's report (and with --hide-answer its answer sheet): both or neither.
void WritePictureReport(const TBatchArguments& arguments, const TPlacement& placement, const TClassPicture& picture,
                        TClassRow& row) {
  const std::string name = ReportName(row.name);
  const TReportInput input{.pictureName = row.name,
                           .width = picture.picture.Width(),
                           .height = picture.picture.Height(),
                           .surfaces = &picture.surfaces,
                           .result = &picture.result,
                           .explored = picture.explored,
                           .pictureJpeg = picture.source.EmbeddableJpeg(),
                           .hideAnswer = arguments.hideAnswer,
                           .threads = 1,
                           .trial = picture.trial,
                           .language = arguments.language};
  const std::string path = (fs::path(placement.folder) / name).string();
  std::string html, answers;
  try {
    html = HtmlReport(input);
    if (arguments.hideAnswer) answers = AnswerSheet(input);
  } catch (const std::runtime_error& failure) {
    throw TOutputError("cannot write " + path + ": " + failure.what());
  }
  TFileBatch files(placement.folder);
  files.Write(name, html);
  if (arguments.hideAnswer) files.Write(AnswerSheetPath(name), answers);
  files.Commit();
  row.report = name;
}

}  // namespace

int RunBatch(const TBatchArguments& arguments, std::ostream& out, std::ostream& err, TTerminals terminals,
             const TInterruptFlag* interrupt) {
  const auto fail = [&](const std::string& message) {
    err << kProgram << ": " << TerminalLine(message, terminals.err) << "\n";
    return kExitUnusable;
  };
  const std::string folder = Encoded(arguments.folder);
  std::vector<std::string> names;
  try {
    names = ClassSetPictures(folder);
  } catch (const TClassSetError& unreadable) {
    return fail(unreadable.what());
  }
  if (names.empty()) return fail(folder + ": the folder holds no picture (" + PictureExtensionList() + ")");

  TPlacement placement;
  try {
    placement = Place(arguments, names);
    if (arguments.report) MakeFolders(placement.folder);
  } catch (const TOutputError& unwritable) {
    return fail(unwritable.what());
  }

  const bool files = arguments.report || arguments.json;
  const TClassSetOptions options{arguments.parameters, arguments.explore, files};
  const TClassWriter writer = [&](const TClassPicture& picture, TClassRow& row) {
    if (arguments.report) WritePictureReport(arguments, placement, picture, row);
    if (arguments.json)
      row.json = JsonSummary(picture.result, picture.surfaces, picture.explored, nullptr, arguments.hideAnswer, nullptr, picture.trial);
  };
  // The progress line, on a terminal only: rewritten in place after each picture.
  const TClassRowDone progress = [&](std::size_t, const TClassRow& row, std::size_t done, std::size_t total) {
    err << "\r[" << done << "/" << total << "] " << TerminalLine(row.name, true) << "\x1b[K" << std::flush;
  };
  std::vector<std::optional<TClassRow>> ran;
  try {
    ran = RunClassSet(folder, names, options, arguments.jobs, terminals.err ? progress : TClassRowDone(),
                      interrupt != nullptr ? &interrupt->Raised() : nullptr, writer);
  } catch (const std::exception& failure) {
    if (terminals.err) err << "\r\x1b[K";
    return fail(failure.what());
  }
  if (terminals.err) err << "\r\x1b[K" << std::flush;

  const std::size_t done = static_cast<std::size_t>(std::count_if(ran.begin(), ran.end(), [](const auto& row) { return row.has_value(); }));
  if (done < names.size() || (interrupt != nullptr && interrupt->Raised())) {
    err << kProgram << ": interrupted after " << done << " of " << names.size()
        << " pictures; their reports are whole, and the summary was not written\n";
    return 128 + (interrupt != nullptr ? interrupt->Signal() : 0);
  }
  std::vector<TClassRow> rows;
  rows.reserve(ran.size());
  for (std::optional<TClassRow>& row : ran) rows.push_back(std::move(*row));

  const TClassSummaryInput summary{arguments.folder.toStdString(), &rows, arguments.parameters,
                                   arguments.explore ? &*arguments.explore : nullptr, arguments.hideAnswer, placement.answers,
                                   arguments.language};
  const bool jsonOut = arguments.json && *arguments.json == QStringLiteral("-");
  try {
    if (arguments.report) {
      std::string page, answers;
      try {
        page = ClassSummary(summary);
        if (arguments.hideAnswer) answers = ClassAnswerSheet(summary);
      } catch (const std::runtime_error& failure) {
        throw TOutputError("cannot write " + Encoded(*arguments.report) + ": " + failure.what());
      }
      TFileBatch written(placement.folder);
      written.Write(placement.summary, page);
      if (arguments.hideAnswer) written.Write(placement.answers, answers);
      written.Commit();
    }
    if (arguments.json && !jsonOut) WriteFileAtomically(Encoded(*arguments.json), ClassSummaryJson(summary));
  } catch (const std::exception& unwritable) {
    return fail(unwritable.what());
  }

  std::size_t decoded = 0, unreadable = 0;
  for (const TClassRow& row : rows) {
    decoded += row.outcome == TClassOutcome::Decoded ? 1 : 0;
    unreadable += row.outcome == TClassOutcome::Unreadable ? 1 : 0;
  }
  if (jsonOut) {
    out << ClassSummaryJson(summary);
  } else {
    out << rows.size() << " pictures: " << decoded << " decoded, " << rows.size() - decoded - unreadable
        << " not decoded, " << unreadable << " could not be read\n";
  }
  out.flush();
  return decoded == rows.size() ? kExitDecoded : kExitNotDecoded;
}

std::string BatchUsageText() {
  return R"(       morilux-cli --batch FOLDER [--report FILE] [--json FILE] [--hide-answer] [--lang ja|en]
                   [--explore ...] [--resolver N] [--warp N] [--force-version N] [--jobs N])";
}

std::string BatchHelpText() {
  return R"(Class sets:
  --batch FOLDER     Analyses every picture of FOLDER ()" + PictureExtensionList() + R"(, any
                     letter case; not its sub-folders, nor names starting with a
                     dot) and writes one table of them, a row per picture in
                     the order of the names (numbers by their value): its
                     thumbnail, outcome, text, stopping stage, the verdict and
                     what to try next. With --report FILE the table is the page
                     FILE, and each picture's report (as --report writes it) is
                     written beside it under the picture's name with .html
                     added (a.jpg.html), linked from its row; with --json FILE
                     the table for programs, each picture with its --json
                     summary. One of the two is needed. A picture that cannot
                     be read gets its row with the reason. The other options
                     of an analysis (--resolver, --warp, --force-version,
                     --explore, --hide-answer) apply to every picture. On a
                     terminal a progress line shows on standard error; at the
                     end, one line of counts on standard output.
                     Ctrl+C or SIGTERM stops after the pictures in progress:
                     the reports written are whole, the summary is not
                     written, and the exit status is 128 + the signal.
                     Exit status 0 when every picture decoded, 1 when some did
                     not or could not be read, 2 as for one picture.
  --jobs N           How many pictures (with --batch) or rows of the grid
                     (with --explore) are analysed at once, each on a thread
                     of its own (default: the processor's cores). Every file
                     and every line printed is the same whatever N.)";
}
