// kelvo_web.js: the page's side of the web layer (platform/web/web_local.h,
// gl_backend.h, sound.cpp), linked into kelvo.js with --js-library. The calls that wait
// suspend the program with Asyncify and resume it when the page has its answer. The page
// itself (the form, the boxes, the keys, the clock) is kelvoPage in page/page.js.
mergeInto(LibraryManager.library, {
  kelvo_web_test_time: function() { return kelvoPage.testTime; },
  kelvo_web_clock: function() { return kelvoPage.clock(); },

  kelvo_web_wait_frame: function() {
    return Asyncify.handleSleep(function(wakeUp) {
      requestAnimationFrame(function(time) { kelvoPage.frameStarted(time); wakeUp(); });
    });
  },
  kelvo_web_yield: function() {
    return Asyncify.handleSleep(function(wakeUp) { setTimeout(wakeUp, 0); });
  },
  kelvo_web_stay: function() {
    return Asyncify.handleSleep(function() { kelvoPage.frameReady(); });
  },
  kelvo_web_take_key: function() { return kelvoPage.takeKey(); },

  // The program's files lie in the page's data/ folder and come from the server.
  $kelvoFiles: {
    // Far above any file of the show; a larger or endless answer is a file that cannot be
    // read rather than a tab that runs out of memory.
    limit: 64 * 1024 * 1024,

    // The address of path ("data/vil.3ds"), or null when it would lie outside data/. Each
    // part is encoded, so '#', '?' and '%' stay part of the name rather than the address.
    address: function(path) {
      var base = new URL('data/', document.baseURI).href, address;
      try {
        address = new URL(path.split('/').map(encodeURIComponent).join('/'), document.baseURI).href;
      } catch (e) { return null; }  // a name that is not text
      return address.length > base.length && address.startsWith(base) ? address : null;
    },

    // The body of response, or null when it is, or says it is, over the limit; then stop()
    // ends the download too (some engines read on after a cancelled reader).
    read: function(response, stop) {
      var limit = kelvoFiles.limit;
      if (Number(response.headers.get('Content-Length')) > limit) {
        if (response.body) response.body.cancel().catch(function() {});
        stop();
        return Promise.resolve(null);
      }
      if (!response.body) return Promise.resolve(new Uint8Array(0));
      var reader = response.body.getReader(), parts = [], total = 0;
      function next(step) {
        if (step.done) return kelvoFiles.join(parts, total);
        total += step.value.byteLength;
        if (total > limit) {
          reader.cancel().catch(function() {});
          stop();
          return null;
        }
        parts.push(step.value);
        return reader.read().then(next);
      }
      return reader.read().then(next);
    },

    join: function(parts, total) {
      var bytes = new Uint8Array(total), at = 0;
      parts.forEach(function(part) { bytes.set(part, at); at += part.byteLength; });
      return bytes;
    },
  },

  kelvo_web_fetch__deps: ['$FS', '$PATH', '$kelvoFiles'],
  kelvo_web_fetch: function(pathText) {
    var path = UTF8ToString(pathText), address = kelvoFiles.address(path);
    if (!address) return 0;
    return Asyncify.handleSleep(function(wakeUp) {
      var download = typeof AbortController === 'function' ? new AbortController() : null;
      function stop() { if (download) download.abort(); }
      fetch(address, download ? { signal: download.signal } : {}).then(function(response) {
        return response.ok ? kelvoFiles.read(response, stop) : null;
      }).then(function(bytes) {
        if (!bytes) { wakeUp(0); return; }
        var folder = PATH.dirname(path);
        if (folder !== '.' && folder !== '') FS.mkdirTree(folder);
        FS.writeFile(path, bytes);
        wakeUp(1);
      }).catch(function() { wakeUp(0); });
    });
  },

  kelvo_web_dialog_open: function(caption) { kelvoPage.dialogOpen(UTF8ToString(caption)); },
  kelvo_web_dialog_add: function(id, kind, x, text) {
    kelvoPage.dialogAdd(id, kind, x, UTF8ToString(text));
  },
  kelvo_web_dialog_set_check: function(id, checked) { kelvoPage.dialogSetCheck(id, checked); },
  kelvo_web_dialog_get_check: function(id) { return kelvoPage.dialogGetCheck(id) ? 1 : 0; },
  kelvo_web_dialog_wait: function() {
    return Asyncify.handleSleep(function(wakeUp) { kelvoPage.dialogWait(wakeUp); });
  },
  kelvo_web_dialog_close: function() { kelvoPage.dialogClose(); },

  kelvo_web_message_box: function(caption, text) {
    var c = UTF8ToString(caption), t = UTF8ToString(text);
    return Asyncify.handleSleep(function(wakeUp) { kelvoPage.messageBox(c, t, wakeUp); });
  },

  kelvo_web_show_canvas: function(fullScreen) { kelvoPage.showCanvas(fullScreen !== 0); },
  kelvo_web_leave_full_screen: function() { kelvoPage.leaveFullScreen(); },
  kelvo_web_hide_canvas: function() { kelvoPage.hideCanvas(); },
  kelvo_web_show_ended: function() { kelvoPage.showEnded(); },
  kelvo_web_frame_drawn: function() { kelvoPage.frameDrawn(); },

  kelvo_web_audio_open: function(rate) { return kelvoPage.audioOpen(rate) ? 1 : 0; },
  kelvo_web_audio_close: function() { kelvoPage.audioClose(); },
  // Wakes the program as soon as the server answers; the body then goes on downloading
  // and is decoded in the background (kelvoPage.audioBegin), or, without decode, is not
  // read at all: the test mode only asks whether the file is there.
  kelvo_web_audio_begin__deps: ['$kelvoFiles'],
  kelvo_web_audio_begin: function(pathText, decode) {
    var address = kelvoFiles.address(UTF8ToString(pathText));
    if (!address) return 0;
    return Asyncify.handleSleep(function(wakeUp) {
      var download = typeof AbortController === 'function' ? new AbortController() : null;
      function stop() { if (download) download.abort(); }
      fetch(address, download ? { signal: download.signal } : {}).then(function(response) {
        if (!response.ok || !decode) {
          stop();
          wakeUp(response.ok ? 1 : 0);
          return;
        }
        wakeUp(kelvoPage.audioBegin(kelvoFiles.read(response, stop)));
      }).catch(function() { wakeUp(0); });
    });
  },
  kelvo_web_audio_settle: function() {
    return Asyncify.handleSleep(function(wakeUp) { kelvoPage.audioSettle(wakeUp); });
  },
  kelvo_web_audio_play: function(buffer) { return kelvoPage.audioPlay(buffer) ? 1 : 0; },
  kelvo_web_audio_stop: function(buffer) { kelvoPage.audioStop(buffer); },
  kelvo_web_audio_free: function(buffer) { kelvoPage.audioFree(buffer); },

  // WebGL 2: one program that interpolates the pipeline's colours and texture coordinates.
  // drawn: the blend, depth, cull and texturing state of the last draw, and bound: the
  // texture bound now, so that a draw sends WebGL only what changed (each call costs the
  // browser a validation, and in some engines a trip to another process). drawn is null, so
  // all is sent, until the first draw on a context.
  $kelvoGl: { gl: null, buffer: null, textures: {}, nextTexture: 1, useTexture: null,
              drawn: null, bound: null },
  kelvo_web_gl_create__deps: ['$kelvoGl'],
  kelvo_web_gl_create: function() {
    var canvas = document.getElementById('canvas');
    // Not desynchronized: in Chromium that lets the page draw frames faster than the
    // compositor shows them, and a third of them were never on screen.
    var gl = canvas.getContext('webgl2', {
      alpha: false, antialias: false, depth: true, stencil: false, premultipliedAlpha: false,
      preserveDrawingBuffer: kelvoPage.testTime >= 0
    });
    if (!gl) return 0;
    function shader(type, source) {
      var s = gl.createShader(type);
      gl.shaderSource(s, source);
      gl.compileShader(s);
      return s;
    }
    var program = gl.createProgram();
    gl.attachShader(program, shader(gl.VERTEX_SHADER,
      '#version 300 es\n' +
      'in vec4 position; in vec4 colour; in vec2 texCoord;\n' +
      'out vec4 vColour; out vec2 vTexCoord;\n' +
      'void main() { gl_Position = position; vColour = colour; vTexCoord = texCoord; }\n'));
    gl.attachShader(program, shader(gl.FRAGMENT_SHADER,
      '#version 300 es\nprecision highp float;\n' +
      'in vec4 vColour; in vec2 vTexCoord; uniform sampler2D image; uniform bool textured;\n' +
      'out vec4 fragment;\n' +
      'void main() { fragment = textured ? vColour * texture(image, vTexCoord) : vColour; }\n'));
    gl.bindAttribLocation(program, 0, 'position');
    gl.bindAttribLocation(program, 1, 'colour');
    gl.bindAttribLocation(program, 2, 'texCoord');
    gl.linkProgram(program);
    if (!gl.getProgramParameter(program, gl.LINK_STATUS)) return 0;
    gl.useProgram(program);
    kelvoGl.buffer = gl.createBuffer();
    gl.bindBuffer(gl.ARRAY_BUFFER, kelvoGl.buffer);
    var stride = 10 * 4;
    gl.enableVertexAttribArray(0);
    gl.vertexAttribPointer(0, 4, gl.FLOAT, false, stride, 0);
    gl.enableVertexAttribArray(1);
    gl.vertexAttribPointer(1, 4, gl.FLOAT, false, stride, 16);
    gl.enableVertexAttribArray(2);
    gl.vertexAttribPointer(2, 2, gl.FLOAT, false, stride, 32);
    gl.uniform1i(gl.getUniformLocation(program, 'image'), 0);
    kelvoGl.useTexture = gl.getUniformLocation(program, 'textured');
    gl.pixelStorei(gl.UNPACK_ALIGNMENT, 1);
    kelvoGl.gl = gl;
    kelvoGl.drawn = null;
    kelvoGl.bound = null;
    return 1;
  },
  kelvo_web_gl_viewport__deps: ['$kelvoGl'],
  kelvo_web_gl_viewport: function(x, y, width, height) {
    if (kelvoGl.gl) kelvoGl.gl.viewport(x, y, width, height);
  },
  kelvo_web_gl_clear__deps: ['$kelvoGl'],
  kelvo_web_gl_clear: function(colour, depth, r, g, b, a) {
    var gl = kelvoGl.gl;
    if (!gl) return;
    gl.clearColor(r, g, b, a);
    gl.depthMask(true);
    gl.clear((colour ? gl.COLOR_BUFFER_BIT : 0) | (depth ? gl.DEPTH_BUFFER_BIT : 0));
  },
  kelvo_web_gl_draw__deps: ['$kelvoGl'],
  kelvo_web_gl_draw: function(vertices, count, texture, blendSource, blendDestination,
                              depthFunc, cullFace) {
    var gl = kelvoGl.gl;
    if (!gl || count <= 0) return;
    var image = texture ? kelvoGl.textures[texture] : null;
    var was = kelvoGl.drawn || {};
    if (was.blendSource !== blendSource || was.blendDestination !== blendDestination) {
      if (blendSource) { gl.enable(gl.BLEND); gl.blendFunc(blendSource, blendDestination); }
      else gl.disable(gl.BLEND);
    }
    if (was.depthFunc !== depthFunc) {
      if (depthFunc) { gl.enable(gl.DEPTH_TEST); gl.depthFunc(depthFunc); }
      else gl.disable(gl.DEPTH_TEST);
    }
    if (was.cullFace !== cullFace) {
      if (cullFace) { gl.enable(gl.CULL_FACE); gl.cullFace(cullFace); }
      else gl.disable(gl.CULL_FACE);
    }
    if (was.textured !== !!image) gl.uniform1i(kelvoGl.useTexture, image ? 1 : 0);
    // Without a texture the last one stays bound: the program does not read it then.
    if (image && kelvoGl.bound !== image) {
      gl.bindTexture(gl.TEXTURE_2D, image);
      kelvoGl.bound = image;
    }
    kelvoGl.drawn = { blendSource: blendSource, blendDestination: blendDestination,
                      depthFunc: depthFunc, cullFace: cullFace, textured: !!image };
    gl.bufferData(gl.ARRAY_BUFFER, HEAPF32.subarray(vertices >> 2, (vertices >> 2) + count * 10),
                  gl.STREAM_DRAW);
    gl.drawArrays(gl.TRIANGLES, 0, count);
  },
  kelvo_web_gl_texture_create__deps: ['$kelvoGl'],
  kelvo_web_gl_texture_create: function() {
    var id = kelvoGl.nextTexture++;
    kelvoGl.textures[id] = null;
    return id;
  },
  kelvo_web_gl_texture_image__deps: ['$kelvoGl'],
  kelvo_web_gl_texture_image: function(id, width, height, rgba) {
    var gl = kelvoGl.gl;
    if (!gl || !(id in kelvoGl.textures)) return;
    var texture = kelvoGl.textures[id] || gl.createTexture();
    kelvoGl.textures[id] = texture;
    gl.bindTexture(gl.TEXTURE_2D, texture);
    kelvoGl.bound = texture;
    gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA, width, height, 0, gl.RGBA, gl.UNSIGNED_BYTE,
                  HEAPU8.subarray(rgba, rgba + width * height * 4));
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.LINEAR);
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, gl.LINEAR);
  },
  kelvo_web_gl_texture_parameter__deps: ['$kelvoGl'],
  kelvo_web_gl_texture_parameter: function(id, name, value) {
    var gl = kelvoGl.gl;
    var texture = kelvoGl.textures[id];
    if (!gl || !texture) return;
    gl.bindTexture(gl.TEXTURE_2D, texture);
    kelvoGl.bound = texture;
    gl.texParameteri(gl.TEXTURE_2D, name, value);
  },
});
