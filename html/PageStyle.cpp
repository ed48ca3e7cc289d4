// The page's stylesheet. Colours are from a palette that colour-blind
// readers tell apart, and no series relies on colour alone: markers differ
// in shape and fill, lines in dash pattern, so a grey print still reads.
#include "html/PageStyle.h"

namespace html {

std::string_view PageStyle() {
  return R"css(
:root { color: #1a1a1a; background: #fff; }
body { font-family: system-ui, -apple-system, "Segoe UI", Roboto, "Helvetica Neue", Arial, sans-serif;
  font-size: 14px; line-height: 1.4; max-width: 1040px; margin: 1.5em auto; padding: 0 1em; }
h1 { font-size: 1.6em; margin: 0; }
h2 { font-size: 1.3em; border-bottom: 2px solid #333; padding-bottom: 2px; margin-top: 1.8em; }
h3 { font-size: 1.05em; margin-bottom: .3em; }
header .folder { margin: .2em 0 .5em; color: #444; }
nav a { margin-right: .8em; color: #0b5394; }
code { font-family: ui-monospace, "DejaVu Sans Mono", Menlo, Consolas, monospace; font-size: .92em; }
code.hash { font-size: .78em; word-break: break-all; }
table { border-collapse: collapse; margin: .6em 0 1em; font-size: .92em; }
caption { text-align: left; font-weight: 600; padding-bottom: 3px; }
th, td { padding: 2px 8px; border-bottom: 1px solid #ddd; text-align: left; vertical-align: top; }
th { background: #f3f3f3; font-weight: 600; }
tr.group th { background: #e8e8e8; }
td.num { text-align: right; font-variant-numeric: tabular-nums; white-space: nowrap; }
td.zero { color: #aaa; }
td.notes { font-size: .88em; color: #444; }
td.outside, span.outside { font-weight: 700; text-decoration: underline; }
td.strong { font-weight: 700; }
tr.fail td { background: #fde8e4; }
tr.setend td { background: #f8f8f8; font-style: italic; }
tr.check.fail td { background: #fde8e4; }
tr.check.fail td.verdict { font-weight: 700; color: #a00000; }
tr.check.na td { color: #777; }
tr.check .finding, tr.check td.source { font-size: .88em; color: #444; }
.banner { padding: .5em .8em; border-left: 6px solid; margin: .8em 0; }
.banner.pass { background: #e6f4ea; border-color: #2e7d32; }
.banner.fail { background: #fde8e4; border-color: #b00000; font-weight: 600; }
.summary { font-size: 1.1em; margin: .6em 0 1em; }
.missing { font-style: italic; color: #555; }
.note { font-size: .88em; color: #444; }
.warn { color: #8a4b00; font-style: normal; }
ul.warnings li { color: #8a4b00; }
.pair { display: flex; flex-wrap: wrap; gap: .5em 2em; align-items: flex-start; }
figure { margin: .8em 0; }
figcaption { font-size: .88em; color: #333; max-width: 720px; }
/* A caption as wide as its plot, however long its text. */
.pair figcaption { width: 0; min-width: 100%; }
svg.plot { max-width: 100%; height: auto; display: block; }
svg.plot text { font-family: inherit; fill: #222; }
svg.plot .ticklabel { font-size: 11px; }
svg.plot .axislabel, svg.plot .legendlabel { font-size: 12px; }
svg.plot path, svg.plot circle { fill: none; }
svg.plot .area { fill: #fff; }
svg.plot .gridline { stroke: #e2e2e2; stroke-width: 1; }
svg.plot .axis, svg.plot .tick { stroke: #333; stroke-width: 1; }
svg.plot .pt { stroke-width: 1.2; }
svg.plot .used { fill: #0072b2; fill-opacity: .55; stroke: none; }
svg.plot .negative-deceleration { stroke: #cc79a7; stroke-width: 1.4; }
svg.plot .filter-outlier { stroke: #d55e00; stroke-width: 1.8; }
svg.plot .yaw-outlier { fill: #e69f00; stroke: #222; stroke-width: .7; }
svg.plot .outside-window { stroke: #777; }
svg.plot .not-used { stroke: #999; }
svg.plot .curve { stroke-linejoin: round; }
svg.plot .curve.fit { stroke: #0072b2; stroke-width: 2.4; }
svg.plot .curve.first { stroke: #555; stroke-width: 1.4; stroke-dasharray: 7 4; }
svg.plot .curve.truth { stroke: #000; stroke-width: 2; stroke-dasharray: 2 3; }
svg.plot .band { fill: #0072b2; fill-opacity: .18; stroke: none; }
svg.plot .errorbar { stroke: #333; stroke-width: 1; }
svg.plot .rl { fill: #fff; stroke: #0072b2; stroke-width: 1.5; }
svg.plot .run.odd { stroke: #0072b2; stroke-width: 1.3; }
svg.plot .run.even { stroke: #d55e00; stroke-width: 1.3; stroke-dasharray: 5 3; }
svg.plot .limit { stroke: #d55e00; stroke-width: 1.3; stroke-dasharray: 8 3 2 3; }
svg.plot .mean { stroke: #555; stroke-width: 1; stroke-dasharray: 4 3; }
svg.plot .zero { stroke: #888; stroke-width: 1; }
svg.plot .shade { fill: #000; fill-opacity: .045; stroke: none; }
svg.plot .pairsep { stroke: #bbb; stroke-width: 1; }
svg.plot .wind { fill: #0072b2; fill-opacity: .35; stroke: none; }
svg.plot .mean-wind { stroke: #d55e00; stroke-width: 3; }
svg.plot .bar { fill: #56b4e9; stroke: #0072b2; stroke-width: .8; }
svg.plot .cal.head { stroke: #0072b2; stroke-width: 1.5; }
svg.plot .cal.cross { stroke: #b36b00; stroke-width: 1.5; }
svg.plot .cal.head.after { fill: #0072b2; }
svg.plot .cal.cross.after { fill: #e69f00; }
svg.plot .cal.before { fill: #fff; }
svg.plot .pairline.head { stroke: #0072b2; stroke-width: 1.2; }
svg.plot .pairline.cross { stroke: #b36b00; stroke-width: 1.2; stroke-dasharray: 4 2; }
@page { size: A4; margin: 14mm 12mm; }
@media print {
  body { font-size: 9.5pt; max-width: none; margin: 0; padding: 0; }
  nav { display: none; }
  h2, h3, caption { break-after: avoid; page-break-after: avoid; }
  figure, svg.plot, tr, .banner { break-inside: avoid; page-break-inside: avoid; }
  .pair { display: block; }
  svg.plot { max-width: 100%; height: auto; }
  a { color: inherit; text-decoration: none; }
  th { background: #eee; }
}
)css";
}

}  // namespace html
