// Peer anchor: V8 JSON.parse (how Electron clients decode the provider's answer) on a whole-catalog
// body, plus mapping it to records.  node peers_decode.js body.json [vod|series]
const fs = require('fs');
const buf = fs.readFileSync(process.argv[2]);
const kind = process.argv[3] || 'vod';
const s = buf.toString('utf8');
function best(n, f) { let b = 1e9; for (let i = 0; i < n; i++) { const t = process.hrtime.bigint(); f(); const d = Number(process.hrtime.bigint() - t) / 1e6; if (d < b) b = d; } return b; }
const str = v => (v === null || v === undefined || typeof v === 'boolean' || typeof v === 'object') ? null : String(v);
const movie = o => ({ name: str(o.name) ?? '(sin nombre)', streamId: str(o.stream_id) ?? '', streamIcon: str(o.stream_icon), categoryId: str(o.category_id), containerExtension: str(o.container_extension), added: str(o.added) });
const series = o => ({ name: str(o.name) ?? '(sin nombre)', seriesId: str(o.series_id) ?? '', cover: str(o.cover), plot: str(o.plot), genre: str(o.genre), categoryId: str(o.category_id), rating: str(o.rating), lastModified: str(o.last_modified) });
const record = kind === 'series' ? series : movie;
const parseOnly = best(5, () => JSON.parse(s));
const withMap = best(5, () => JSON.parse(s).map(record));
console.log(JSON.stringify({ peer: 'node JSON.parse', kind, bytes: buf.length, parse_ms: parseOnly.toFixed(1), parse_and_records_ms: withMap.toFixed(1) }));
