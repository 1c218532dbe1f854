# Peer anchor: Python json (how Python/GTK clients decode the provider's answer) on a whole-catalog
# body, plus mapping it to records.  python3 peers_decode.py body.json [vod|series]
import json, sys, time
data = open(sys.argv[1], 'rb').read()
kind = sys.argv[2] if len(sys.argv) > 2 else 'vod'
def best(n, f):
    b = 1e9
    for _ in range(n):
        t = time.perf_counter(); f(); b = min(b, (time.perf_counter() - t) * 1000)
    return b
def s(v): return None if v is None or isinstance(v, (bool, dict, list)) else str(v)
def movie(o): return {'name': s(o.get('name')) or '(sin nombre)', 'streamId': s(o.get('stream_id')) or '', 'streamIcon': s(o.get('stream_icon')), 'categoryId': s(o.get('category_id')), 'ext': s(o.get('container_extension')), 'added': s(o.get('added'))}
def series(o): return {'name': s(o.get('name')) or '(sin nombre)', 'seriesId': s(o.get('series_id')) or '', 'cover': s(o.get('cover')), 'plot': s(o.get('plot')), 'genre': s(o.get('genre')), 'categoryId': s(o.get('category_id')), 'rating': s(o.get('rating')), 'lastModified': s(o.get('last_modified'))}
rec = series if kind == 'series' else movie
p = best(3, lambda: json.loads(data))
m = best(3, lambda: [rec(o) for o in json.loads(data)])
print(json.dumps({'peer': 'python json', 'kind': kind, 'bytes': len(data), 'parse_ms': round(p, 1), 'parse_and_records_ms': round(m, 1)}))
